// Writes handle data references into a folder, as the starting inputs of the
// data reference fuzzer's corpus: usage make_data_ref_corpus FOLDER. Each is
// laid out as handle_data_ref.h describes; byte 0 chooses the address the
// fuzzer puts in (fuzz_data_ref.cpp).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

void append_be32(bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void append_text(bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

void append_atom(bytes& out, const char type[5], const bytes& payload) {
    append_be32(out, uint32_t(8 + payload.size()));
    append_text(out, type);
    out.insert(out.end(), payload.begin(), payload.end());
}

// Byte 0 of each input: the address the fuzzer uses.
enum : uint8_t { kAddressAsGiven = 0, kAddressDestroyed = 1, kAddressLive = 2 };

// The handle slot and the Pascal-string name, then the extensions given.
bytes data_ref(const std::string& name, const bytes& extensions, uint8_t address = kAddressLive) {
    bytes out(4, 0);
    out[0] = address;
    out.push_back(uint8_t(name.size()));
    append_text(out, name);
    out.insert(out.end(), extensions.begin(), extensions.end());
    return out;
}

bytes data_extension(const bytes& address = bytes(4, 0)) {
    bytes out;
    append_atom(out, "data", address);
    return out;
}

bool write_file(const std::string& path, const bytes& content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_data_ref_corpus FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bytes file_type_first;
    append_atom(file_type_first, "ftyp", {'M', 'o', 'o', 'V'});
    bytes data = data_extension();
    file_type_first.insert(file_type_first.end(), data.begin(), data.end());
    bytes mime_first;
    append_atom(mime_first, "mime", {10, 'v', 'i', 'd', 'e', 'o', '/', 'm', 'o', 'v', 'x'});
    mime_first.insert(mime_first.end(), data.begin(), data.end());

    bool ok = write_file(folder + "seed_ref_named", data_ref("movie.mov", data_extension()));
    ok = write_file(folder + "seed_ref_one_letter", data_ref("m", data_extension())) && ok;
    ok = write_file(folder + "seed_ref_longest_name", data_ref(std::string(255, 'n'), data_extension())) && ok;
    ok = write_file(folder + "seed_ref_file_type_first", data_ref("movie.mov", file_type_first)) && ok;
    ok = write_file(folder + "seed_ref_mime_first", data_ref("movie.mov", mime_first)) && ok;
    ok = write_file(folder + "seed_ref_address_from_a_file",
                    data_ref("movie.mov", data_extension({0x40, 0x41, 0x41, 0x41}), kAddressAsGiven)) &&
         ok;
    ok = write_file(folder + "seed_ref_destroyed",
                    data_ref("movie.mov", data_extension(), kAddressDestroyed)) &&
         ok;
    return ok ? 0 : 1;
}
