// Whether a sample's size, as the movie states it, can be true before a buffer
// is allocated for it: a sample stored behind one of the plug-in's own data
// references cannot be larger than the data behind that reference.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// False when the data reference the description names (its data reference
// index) is a 'zvh ' reference that holds fewer than size bytes or carries no
// live data reference. True for every other reference: QuickTime locates
// those bytes when it reads them.
bool sample_size_possible(Media media, Handle description, uint32_t size);

}  // namespace ns_movie_apple_qt
