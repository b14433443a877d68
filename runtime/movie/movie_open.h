// Opening a movie from a data handler: the part of NewMovieFromProperties
// after the data location is known. The data handler issue's handlers and the
// runtime's own tools open movies through it.
#pragma once

#include <memory>
#include <string>

#include "movie/data_handler.h"
#include "quicktime/movies.h"

namespace qtrt {

// Reads and parses the movie in the data; `path` is the file-system path of
// the data, if any, against which data references relative to the movie are
// resolved. Sets the Movie Toolbox's last error.
OSErr new_movie_from_data_handler(std::shared_ptr<data_handler> data, const std::string& path,
                                  Movie& movie);

}  // namespace qtrt
