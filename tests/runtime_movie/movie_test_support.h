// Opening movies through NewMovieFromProperties, as the plug-in does, and
// small helpers shared by the movie runtime tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "movie/movie_toolbox.h"
#include "support/movie_builder.h"

namespace movie_test {

// Opens a file with the 'dloc'/'cfur' location and the 'mprp'/'intn' and
// 'mins'/'aurn' properties; the result code of the open and the movie.
OSErr open_movie(const std::string& path, Movie& movie);

// A movie that is disposed at the end of its scope.
struct movie_deleter {
    void operator()(MovieType** m) const { qtrt::DisposeMovie(m); }
};
using movie_ptr = std::unique_ptr<MovieType*, movie_deleter>;

// A path in the test output folder, unique to the running test.
std::string output_path(const std::string& name);

// Writes the plan to a file of its own and opens it; fails the test (with a
// null result) when it does not open.
movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name);

// The first track of a media type and its media.
Track track_of_type(Movie movie, OSType type);
Media media_of_type(Movie movie, OSType type);

constexpr Fixed kForward = 0x10000;
constexpr Fixed kBackward = -0x10000;

}  // namespace movie_test
