// Tells the user which sound the movie's extraction leaves out: with every
// channel delivered on its own, the extraction lays the enabled sound tracks
// side by side, so channels of those tracks that it does not deliver are
// channels QuickTime cannot decode.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// Logs one error line when the enabled sound tracks hold more channels than
// the extraction delivers (extracted_channels; 0 when it delivers none), e.g.
// "1 of the 3 sound channels of 'x.mov' cannot be decoded and are left out
// (enabled sound tracks: 2 'samr' 1 channel, 3 'twos' 2 channels)", the
// tracks numbered by their place in the movie. Answers how many channels are
// left out.
uint32_t log_undecodable_sound(Movie movie, uint32_t extracted_channels);

}  // namespace ns_movie_apple_qt
