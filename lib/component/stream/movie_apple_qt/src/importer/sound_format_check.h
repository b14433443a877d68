// Tells the user which sound the movie's extraction will leave out: every
// enabled sound track whose data format no sound decompressor handles.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// Logs one error line per enabled sound track whose format QuickTime has no
// sound decompressor ('sdec' component) for, e.g.
// "sound track 2 ('samr') cannot be decoded; left out", the track numbered by
// its place in the movie. Answers how many it found.
int log_undecodable_sound(Movie movie);

}  // namespace ns_movie_apple_qt
