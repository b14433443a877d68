#include "datahandler/movie_atom_at.h"

#include "format/atom_header.h"
#include "movie/data_handler_source.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

OSErr movie_atom_starts_at(data_handler& data, uint64_t offset) {
    uint64_t total = 0;
    OSErr err = data.data_size(total);
    if (err != noErr) return err;
    data_handler_source source(data);
    qt_format::atom_header h;
    const qt_format::atom_status status = qt_format::decode_atom_header(source, offset, total, h);
    if (status == qt_format::atom_status::end_of_parent ||
        status == qt_format::atom_status::unreadable || h.type != MovieAID)
        return noMovieFound;
    return status == qt_format::atom_status::ok ? OSErr(noErr) : OSErr(invalidMovie);
}

}  // namespace qtrt
