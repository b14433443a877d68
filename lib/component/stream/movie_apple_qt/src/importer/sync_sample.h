// Where decoding must start for the frame shown at a media time: QuickTime's
// sync-sample searches run on decode times, but with reordered frames the
// sync sample decoded last before a time may be shown after it.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// Decode time of the sync sample (else partial sync sample) decoded at or
// before decode time t; -1 when there is none.
TimeValue64 sync_decoded_by(Media media, TimeValue64 t);

// Decode time of the sync sample (else partial sync sample) from which the
// frame shown at media display time `shown` decodes: the last one decoded at
// or before it that is itself shown at or before it (else the earliest one
// looked at); -1 when there is none.
TimeValue64 sync_for_frame_shown_at(Media media, TimeValue64 shown);

}  // namespace ns_movie_apple_qt
