// GetImageDescriptionExtension: an extension atom after the fixed part of an
// image description.
#include <cstring>

#include "memory/memory_manager.h"
#include "format/atom_walk.h"
#include "movie/movie_toolbox.h"
#include "movie/sample_description_order.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using qt_format::atom_reader;
using qt_format::atom;

using qt_format::next_atom;

// The description is in the machine's order (its idSize readable directly);
// the extensions after its 86 bytes are atoms in big-endian order. The
// index-th atom (from 1) of idType becomes a new handle with the atom's
// contents, without its 8-byte header.
OSErr GetImageDescriptionExtension(ImageDescriptionHandle desc, Handle* extension, int32_t idType,
                                   int32_t index) {
    if (extension) *extension = nullptr;
    if (!desc || !*desc || !extension || index < 1) return paramErr;
    Handle h = reinterpret_cast<Handle>(desc);
    const Size handle_size = GetHandleSize(h);
    int32_t id_size = (*desc)->idSize;
    if (id_size > handle_size) id_size = handle_size;
    if (id_size < int32_t(kImageDescriptionSize)) return codecExtensionNotFoundErr;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(*h);
    atom_reader r(bytes + kImageDescriptionSize, size_t(id_size) - kImageDescriptionSize);
    atom a;
    bool malformed = false;
    int32_t seen = 0;
    while (next_atom(r, a, malformed)) {
        if (a.type != OSType(idType) || ++seen != index) continue;
        Handle out = nullptr;
        OSErr err = PtrToHand(a.body.current(), &out, int32_t(a.body.remaining()));
        if (err != noErr) return err;
        *extension = out;
        return noErr;
    }
    return codecExtensionNotFoundErr;
}

}  // namespace qtrt
