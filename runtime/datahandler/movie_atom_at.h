// Checking that a movie atom starts at a given offset of the data.
#pragma once

#include <cstdint>

#include "movie/data_handler.h"
#include "quicktime/mac_types.h"

namespace qtrt {

// noErr when a 'moov' atom's header lies at offset; noMovieFound when another
// atom (or none) starts there, invalidMovie when its header is broken or it
// runs past the end of the data.
OSErr movie_atom_starts_at(data_handler& data, uint64_t offset);

}  // namespace qtrt
