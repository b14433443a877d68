// Finding the movie atom among the top-level atoms of a movie file.
#pragma once

#include <cstdint>
#include <functional>

#include "quicktime/components.h"
#include "quicktime/movie_constants.h"

namespace datahandler {

// Reads count bytes at offset into destination; a negative result is a
// failure and ends the walk with that result.
using atom_reader = std::function<ComponentResult(uint64_t offset, void* destination, long count)>;

// Walks the top-level atom headers from offset 0 up to file_size, printing a
// level-6 "Size" line for each. 0 with movie_offset at the start of the first
// 'moov' atom; a negative read result; or noMovieFound when the walk reaches
// the end, or an atom whose size is below 8, without one.
ComponentResult find_movie_atom(uint64_t file_size, const atom_reader& read,
                                uint64_t& movie_offset);

}  // namespace datahandler
