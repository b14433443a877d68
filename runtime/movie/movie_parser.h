// Reading a movie: finding the movie atom among the top-level atoms of the data
// and parsing it into the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "movie/data_handler.h"
#include "movie/model.h"

namespace qtrt {

// Walks the top-level atoms through the handler and reads the first 'moov'
// atom's contents. noMovieFound when there is none, invalidMovie when its
// header is broken or it runs past the end of the data.
OSErr read_movie_atom(data_handler& data, std::vector<uint8_t>& contents);

// Parses the contents of a 'moov' atom. invalidMovie when the movie atom
// itself is broken; tracks with malformed tables are left out and listed in
// movie.refused. With the movie's data, the samples of its movie fragments
// are read too (fragment_parser.h). The durations are then derived
// (track_durations.h). `warning` gets one line (lines apart by '\n') for each
// thing left out or found damaged.
OSErr parse_movie_atom(const uint8_t* contents, size_t size, movie_model& movie,
                       data_handler* data = nullptr, std::string* warning = nullptr);

}  // namespace qtrt
