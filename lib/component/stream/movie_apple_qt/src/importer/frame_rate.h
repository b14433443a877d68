// The two ways the video reader finds a movie's frame rate.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// From the first track with a frame rate ('vfrr'): an MPEG media's own rate,
// or the media's sample count over its duration. A media without samples
// gives 0.0, which is a success. Answers the QuickTime status (0 = success).
OSErr frame_rate_from_media(Movie movie, double& rate);

// Counts the movie's visual steps from time 0 and divides by the movie's
// duration in seconds. false on a QuickTime error or an empty movie.
bool frame_rate_from_steps(Movie movie, double& rate);

}  // namespace ns_movie_apple_qt
