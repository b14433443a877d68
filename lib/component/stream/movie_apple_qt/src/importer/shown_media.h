// What a track's edits show of its media: the edits are walked with
// QuickTime's track-edit search, which finds every edit, empty ones too, and
// the end of the track.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// A track time past the end of every track.
constexpr TimeValue kAfterEveryTrack = 0x7FFFFFFF;

struct shown_media {
    // Whether any edit shows media in the window.
    bool any = false;
    // Track time (movie time scale) at which media is first shown.
    TimeValue first_track_time = 0;
    // Media display time shown first, and the latest one shown (media time
    // scale): exact for edits at rate 1, else the one shown at an edit's last
    // instant of the movie's time scale.
    TimeValue64 first = 0;
    TimeValue64 last = 0;
    // Where the shown media ends, in seconds of media time: exact for edits
    // at rate 1, else just after the last media time shown.
    double end_seconds = 0.0;
};

// The media the edits show between track times from and to (movie time
// scale, to exclusive).
shown_media find_shown_media(Movie movie, Track track, TimeValue from, TimeValue to);

}  // namespace ns_movie_apple_qt
