#include "support/compressed_movie.h"

#include <zlib.h>

namespace test_movie {
namespace {

// The offset and size of the file's top-level movie atom (32-bit sizes).
bool top_level_movie_atom(const bytes& file, uint64_t& at, uint64_t& size) {
    for (at = 0; at + 8 <= file.size(); at += size) {
        size = get_u32(file, at);
        if (size < 8 || at + size > file.size()) return false;
        if (get_u32(file, at + 4) == fourcc("moov")) return true;
    }
    return false;
}

}  // namespace

bytes deflated(const bytes& data) {
    uLongf size = compressBound(uLong(data.size()));
    bytes out(size);
    if (compress2(out.data(), &size, data.data(), uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

compressed_movie_atom compress_movie_atom(const bytes& file) {
    uint64_t at = 0, size = 0;
    if (!top_level_movie_atom(file, at, size)) return {};
    const bytes moov(file.begin() + long(at), file.begin() + long(at + size));
    return {fourcc("zlib"), uint32_t(size), deflated(moov)};
}

bytes movie_atom_of(const compressed_movie_atom& parts) {
    bytes cmvd = be({parts.stated_size});
    put_bytes(cmvd, parts.stream);
    bytes cmov = atom(fourcc("dcom"), be({parts.algorithm}));
    put_bytes(cmov, atom(fourcc("cmvd"), cmvd));
    return atom(fourcc("moov"), atom(fourcc("cmov"), cmov));
}

bytes with_movie_atom(const bytes& file, const bytes& movie_atom) {
    uint64_t at = 0, size = 0;
    if (!top_level_movie_atom(file, at, size)) return {};
    bytes out(file.begin(), file.begin() + long(at));
    put_bytes(out, movie_atom);
    out.insert(out.end(), file.begin() + long(at + size), file.end());
    return out;
}

}  // namespace test_movie
