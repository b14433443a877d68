// Writes handle data references into a folder, as the starting inputs of the
// data reference fuzzer's corpus: usage make_data_ref_corpus FOLDER. Each is
// laid out as handle_data_ref.h describes; byte 0 chooses the address the
// fuzzer puts in (fuzz_data_ref.cpp).
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "support/movie_builder.h"

namespace {

using test_movie::atom;
using test_movie::bytes;
using test_movie::fourcc;

// Byte 0 of each input: the address the fuzzer uses.
enum : uint8_t { kAddressAsGiven = 0, kAddressDestroyed = 1, kAddressLive = 2 };

// The handle slot and the Pascal-string name, then the extensions given.
bytes data_ref(const std::string& name, const bytes& extensions, uint8_t address = kAddressLive) {
    bytes out{address, 0, 0, 0, uint8_t(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    test_movie::put_bytes(out, extensions);
    return out;
}

bytes data_extension(const bytes& address = bytes(4, 0)) { return atom(fourcc("data"), address); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_data_ref_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/seed_ref_";
    const bytes data = data_extension();
    bytes file_type_first = atom(fourcc("ftyp"), {'M', 'o', 'o', 'V'});
    bytes mime_first = atom(fourcc("mime"), {10, 'v', 'i', 'd', 'e', 'o', '/', 'm', 'o', 'v', 'x'});
    test_movie::put_bytes(file_type_first, data);
    test_movie::put_bytes(mime_first, data);
    const std::pair<const char*, bytes> seeds[] = {
        {"named", data_ref("movie.mov", data)},
        {"one_letter", data_ref("m", data)},
        {"longest_name", data_ref(std::string(255, 'n'), data)},
        {"file_type_first", data_ref("movie.mov", file_type_first)},
        {"mime_first", data_ref("movie.mov", mime_first)},
        {"address_from_a_file",
         data_ref("movie.mov", data_extension({0x40, 0x41, 0x41, 0x41}), kAddressAsGiven)},
        {"destroyed", data_ref("movie.mov", data, kAddressDestroyed)}};
    bool ok = true;
    for (const auto& [name, content] : seeds) ok = test_movie::write_bytes(content, folder + name) && ok;
    return ok ? 0 : 1;
}
