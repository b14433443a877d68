// Tells the user when the movie's extraction leaves sound out: with every
// channel delivered on its own, the extraction lays the enabled sound tracks
// side by side, so fewer channels than those tracks surely hold means sound
// QuickTime cannot decode.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// Logs one error line when the enabled sound tracks hold more channels than
// the extraction delivers (extracted_channels; 0 when it delivers none), e.g.
// "sound of 'x.mov' cannot be decoded and is left out: the extraction
// delivers 2 channels where the enabled sound tracks hold at least 3 (2
// 'samr', 3 'twos' 2 channels)", the tracks numbered by their place in the
// movie. A compressed track counts one channel: its description's count need
// not be its stream's. Answers how many channels are surely left out.
uint32_t log_undecodable_sound(Movie movie, uint32_t extracted_channels);

}  // namespace ns_movie_apple_qt
