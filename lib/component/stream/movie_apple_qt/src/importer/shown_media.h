// What a track's edits show of its media: the edits are walked with
// QuickTime's track-edit search, which finds every edit, empty ones too, and
// the end of the track.
#pragma once

#include <vector>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// A track time past the end of every track.
constexpr TimeValue kAfterEveryTrack = 0x7FFFFFFF;

// One edit that shows media inside a window of the track's time line.
struct shown_edit {
    // Place in the track's edit list, from 1, empty edits counted.
    int number = 0;
    // Where the edit starts on the track's time line (movie time scale) and
    // the media display time it shows there (media time scale): together
    // they map every media time the edit shows onto the time line.
    TimeValue start = 0;
    TimeValue64 media_start = 0;
    // Where the edit ends on the track's time line (movie time scale).
    TimeValue end = 0;
    // Track time at which the window first shows this edit's media.
    TimeValue first_track_time = 0;
    // Media display time shown first inside the window, and the latest one
    // shown (media time scale): exact for edits at rate 1, else the one shown
    // at the edit's last instant of the movie's time scale.
    TimeValue64 first = 0;
    TimeValue64 last = 0;
    // Whether the edit plays its media at rate 1 (a dwell edit, rate 0, or
    // any other rate does not).
    bool rate_one = true;
};

// The edits that show media between track times from and to (movie time
// scale, to exclusive), in the order of the time line.
std::vector<shown_edit> find_shown_edits(Movie movie, Track track, TimeValue from, TimeValue to);

// Whether edit b shows the media from exactly where edit a's whole length
// takes it: together they play the media as one edit would.
bool continues_media(const shown_edit& a, const shown_edit& b, TimeScale movie_scale,
                     TimeScale media_scale);

}  // namespace ns_movie_apple_qt
