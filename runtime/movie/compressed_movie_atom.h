// Movie atoms stored compressed (QuickTime 3 and later): 'moov' holding
// 'cmov', in which 'dcom' names the algorithm ('zlib') and 'cmvd' gives the
// size of the movie atom and the atom deflated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quicktime/mac_types.h"

namespace qtrt {

// When the contents of a 'moov' atom are a compressed movie atom, replaces
// them with the contents of the movie atom it holds. noErr, contents
// unchanged, when they are not compressed. invalidMovie with the reason in
// why when they cannot be read: an algorithm other than zlib, a stated size
// that is not the inflated one, a stream that does not inflate, a compressed
// movie atom inside the inflated one, or a runtime built without zlib.
OSErr expand_compressed_movie_atom(std::vector<uint8_t>& contents, std::string& why);

// True when this runtime inflates compressed movie atoms (built with zlib).
bool compressed_movie_atoms_readable();

}  // namespace qtrt
