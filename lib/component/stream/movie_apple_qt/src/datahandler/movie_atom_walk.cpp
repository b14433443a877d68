#include "datahandler/movie_atom_walk.h"

#include "lib/kolmbase/bytestream.h"
#include "lib/kolmbase/ds_og.h"

namespace datahandler {

namespace {
constexpr uint32_t kExtendedSize = 1;
constexpr uint64_t kHeaderSize = 8;
}  // namespace

ComponentResult find_movie_atom(uint64_t file_size, const atom_reader& read,
                                uint64_t& movie_offset) {
    uint64_t offset = 0;
    while (offset < file_size) {
        uint8_t header[8] = {};
        ComponentResult result = read(offset, header, sizeof header);
        if (result < 0) return result;
        kolmbase::bytestream::rd reader(header, sizeof header);
        uint32_t size32 = 0;
        uint32_t type = 0;
        reader.u32be(size32);
        reader.u32be(type);
        uint64_t size = size32;
        if (size32 == kExtendedSize) {
            uint8_t extended[8] = {};
            result = read(offset + kHeaderSize, extended, sizeof extended);
            if (result < 0) return result;
            kolmbase::bytestream::rd(extended, sizeof extended).u64be(size);
        }
        kolmbase::ds_og::print(6, "<datah> Size: %llu, Type: '%c%c%c%c'\n",
                               static_cast<unsigned long long>(size), char(type >> 24),
                               char(type >> 16), char(type >> 8), char(type));
        if (type == MovieAID) {
            movie_offset = offset;
            return noErr;
        }
        // An atom shorter than its own header would be met again and again.
        if (size < kHeaderSize || size >= file_size - offset) break;
        offset += size;
    }
    return noMovieFound;
}

}  // namespace datahandler
