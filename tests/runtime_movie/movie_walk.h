// Walks everything an opened movie offers: every track's samples (by decode
// time, both directions), descriptions, image description extensions, edits,
// time codes and the movie's user data. The fuzzer and the tests of its
// findings share it, so that a finding replays the calls that found it.
#pragma once

#include "quicktime/movies.h"

namespace movie_test {

void walk_movie(Movie movie);

}  // namespace movie_test
