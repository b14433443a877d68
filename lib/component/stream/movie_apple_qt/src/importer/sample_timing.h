// Where a stored sample lies in its media: QuickTime's sample lookup by
// decode time, reduced to the three times the readers reason with.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

struct sample_timing {
    TimeValue64 decode = 0;    // decode time of the sample's start
    TimeValue64 duration = 0;  // decode duration
    TimeValue64 display = 0;   // display time
};

// The timing of the sample decoded at decode time t (media time scale);
// false when the media has no sample there.
bool sample_timing_at(Media media, TimeValue64 t, sample_timing& out);

}  // namespace ns_movie_apple_qt
