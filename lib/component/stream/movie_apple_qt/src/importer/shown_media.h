// What a track's edits show of its media, walked once when the track is
// opened: QuickTime's track-edit search finds every edit, empty ones too.
#pragma once

#include <vector>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// A track time past the end of every track.
constexpr TimeValue kAfterEveryTrack = 0x7FFFFFFF;

// Edits looked at, at most: each search walks the edit list, so a list of
// many thousands of edits would cost its square.
constexpr int kMaxEditsWalked = 4096;

// One edit that shows media at rate 1.
struct shown_edit {
    // Place in the track's edit list, from 1, empty edits counted.
    int number = 0;
    // Where the edit starts and ends on the track's time line (movie time
    // scale), and the media display time it shows at its start (media time
    // scale): together they map every media time it shows onto the time line.
    TimeValue start = 0;
    TimeValue end = 0;
    TimeValue64 media_start = 0;
};

// An edit the reader cannot place: its number, where it starts (movie time
// scale) and why, as the end of a sentence ("plays its media at a rate
// other than 1").
struct refused_edit {
    int number = 0;
    TimeValue start = 0;
    const char* why = "";
};

struct edit_walk {
    // The edits that show media, in the order of the time line.
    std::vector<shown_edit> shown;
    // The first edit that cannot be placed; number 0 when there is none.
    refused_edit refused;
    // Where the first edit past the ones walked starts; -1 when every edit
    // was walked.
    TimeValue left_out_at = -1;
};

// Walks the edits of a track whose duration is track_end (movie time scale),
// stopping at the first that shows media when first_only is set (its rate
// is then not looked at), at the first that cannot be placed, or after
// kMaxEditsWalked edits.
edit_walk walk_edits(Track track, TimeValue track_end, TimeScale movie_scale,
                     TimeScale media_scale, bool first_only);

// The latest media display time (media time scale) that an edit shows when
// its window on the time line ends at track time b (exclusive): a frame
// starting within its last movie tick included.
TimeValue64 last_shown(const shown_edit& e, TimeValue b, TimeScale movie_scale,
                       TimeScale media_scale);

// Seconds added to the media times edit e shows to place them where it shows
// them, on the time line of edit origin: 0 for origin and for every edit
// that continues it.
double shift_from(const shown_edit& origin, const shown_edit& e, TimeScale movie_scale,
                  TimeScale media_scale);

// Whether edit b shows the media from exactly where edit a's whole length
// takes it: together they play the media as one edit would.
bool continues_media(const shown_edit& a, const shown_edit& b, TimeScale movie_scale,
                     TimeScale media_scale);

}  // namespace ns_movie_apple_qt
