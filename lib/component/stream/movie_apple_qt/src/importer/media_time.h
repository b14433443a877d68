// Times as QuickTime gives them: a count of ticks of a time scale. A media
// time is on the media's own scale (a sample's decode or display time); a
// movie time is on the movie's (where an edit sits on the track's time
// line). The readers reason in ticks and turn a time into seconds only where
// the host takes seconds.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

struct media_time {
    TimeValue64 value = 0;
    TimeScale scale = 0;
    double seconds() const { return double(value) / double(scale); }
};

struct movie_time {
    TimeValue value = 0;
    TimeScale scale = 0;
    double seconds() const { return double(value) / double(scale); }
};

// How a rescaled time that falls between two ticks is rounded.
enum class rounding { down, up };

// A length of movie_ticks (>= 0) of the movie's scale in ticks of the
// media's scale. Edit lengths and time scales are below 2^31, so the product
// stays inside 64 bits.
int64_t movie_to_media_ticks(int64_t movie_ticks, TimeScale movie_scale, TimeScale media_scale,
                             rounding how);

}  // namespace ns_movie_apple_qt
