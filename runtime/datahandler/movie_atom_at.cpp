#include "datahandler/movie_atom_at.h"

#include "movie/atom_reader.h"
#include "movie/atom_types.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

namespace {
constexpr uint32_t kExtendedSize = 1;
constexpr uint32_t kToTheEnd = 0;
}  // namespace

OSErr movie_atom_starts_at(data_handler& data, uint64_t offset) {
    uint64_t total = 0;
    OSErr err = data.data_size(total);
    if (err != noErr) return err;
    if (offset > total || total - offset < 8) return noMovieFound;
    uint8_t header[16] = {};
    if (data.read(offset, 8, header) != noErr) return noMovieFound;
    atom_reader h(header, 8);
    uint32_t size32 = 0;
    uint32_t type = 0;
    h.read_u32(size32);
    h.read_u32(type);
    if (type != MovieAID) return noMovieFound;
    if (size32 == kToTheEnd) return noErr;
    uint64_t size = size32;
    uint64_t header_size = 8;
    if (size32 == kExtendedSize) {
        if (total - offset < 16 || data.read(offset + 8, 8, header + 8) != noErr) {
            return invalidMovie;
        }
        atom_reader(header + 8, 8).read_u64(size);
        header_size = 16;
    }
    return size >= header_size && size <= total - offset ? OSErr(noErr) : OSErr(invalidMovie);
}

}  // namespace qtrt
