// Whether a sample's size, as the movie states it, can be true before a buffer
// is allocated for it: a sample stored behind one of the plug-in's own data
// references cannot be larger than the data behind that reference.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The sizes of a media's data references, each asked of QuickTime once: the
// first time a sample names it.
class sample_bound {
public:
    // Forgets every size learnt (a new media).
    void clear() { m_sizes.clear(); }

    // False when the data reference the description names (its data
    // reference index) is a 'zvh ' reference that holds fewer than size bytes
    // or carries no live data reference. True for every other reference:
    // QuickTime locates those bytes when it reads them.
    bool possible(Media media, Handle description, uint32_t size);

private:
    // Index and size in bytes; -1: no bound known, -2: no live reference.
    std::vector<std::pair<int16_t, int64_t>> m_sizes;
};

}  // namespace ns_movie_apple_qt
