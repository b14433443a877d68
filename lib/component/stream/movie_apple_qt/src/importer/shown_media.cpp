#include "importer/shown_media.h"

#include <cstdint>

#include "importer/media_time.h"
#include "importer/qt_constants.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Media times beyond this come from no real movie; with them every sum
// below stays inside 64 bits (edit lengths and time scales are below 2^31).
constexpr int64_t kLatestMediaTime = int64_t(1) << 62;

// Why an edit from start for length ticks, showing media_start there,
// cannot be placed; null when it plays its media at rate 1. QuickTime's own
// rounding of the edit's last instant may differ from the exact mapping by
// a media unit either way, beside the unit the conversion itself rounds.
const char* why_refused(Track track, TimeValue start, TimeValue length,
                        TimeValue64 media_start, TimeScale movie_scale, TimeScale media_scale) {
    const int64_t expected =
        movie_to_media_ticks(length - 1, movie_scale, media_scale, rounding::down);
    if (media_start > kLatestMediaTime - expected)
        return "shows media times beyond any movie's";
    const TimeValue64 at_last_instant = TrackTimeToMediaDisplayTime(start + length - 1, track);
    const int64_t span = at_last_instant < 0 ? -1 : at_last_instant - media_start;
    if (span < expected - 2 || span > expected + 2)
        return "plays its media at a rate other than 1, whose frames the reader cannot place";
    return nullptr;
}

}  // namespace

edit_walk walk_edits(Track track, TimeValue track_end, TimeScale movie_scale,
                     TimeScale media_scale, bool first_only) {
    edit_walk walk;
    if (movie_scale <= 0 || media_scale <= 0) return walk;
    int16_t flags = nextTimeTrackEdit | nextTimeEdgeOK;
    TimeValue search_from = 0;
    for (int n = 1;; ++n) {
        TimeValue edit = -1, length = 0;
        GetTrackNextInterestingTime(track, flags, search_from, qtcode::kRateForward, &edit,
                                    &length);
        // The end of the track is an edit of no length.
        if (GetMoviesError() != noErr || edit < 0 || length <= 0) break;
        if (n > kMaxEditsWalked) {
            walk.left_out_at = edit;
            break;
        }
        flags = nextTimeTrackEdit;
        search_from = edit;
        const TimeValue end =
            TimeValue(std::min<int64_t>(int64_t(edit) + length, kAfterEveryTrack));
        const TimeValue64 media_start = TrackTimeToMediaDisplayTime(edit, track);
        if (media_start >= 0) {
            // Start times need only the first edit's media time, at any rate.
            const char* why = first_only ? nullptr
                                         : why_refused(track, edit, end - edit, media_start,
                                                       movie_scale, media_scale);
            if (why) {
                walk.refused = refused_edit{n, edit, why};
                break;
            }
            walk.shown.push_back(shown_edit{n, edit, end, media_start});
            if (first_only) break;
        }
        // The edit that reaches the track's end is its last.
        if (end >= track_end) break;
    }
    return walk;
}

TimeValue64 last_shown(const shown_edit& e, TimeValue b, TimeScale movie_scale,
                       TimeScale media_scale) {
    const int64_t ticks = int64_t(b) - e.start;
    return e.media_start + movie_to_media_ticks(ticks, movie_scale, media_scale, rounding::up) - 1;
}

double shift_from(const shown_edit& origin, const shown_edit& e, TimeScale movie_scale,
                  TimeScale media_scale) {
    return movie_time{e.start - origin.start, movie_scale}.seconds() -
           media_time{e.media_start - origin.media_start, media_scale}.seconds();
}

bool continues_media(const shown_edit& a, const shown_edit& b, TimeScale movie_scale,
                     TimeScale media_scale) {
    // Media times beyond 2^31 ticks only come from broken files: such edits
    // continue nothing, and the products below stay in range.
    const int64_t limit = int64_t(1) << 31;
    if (a.media_start >= limit || b.media_start >= limit) return false;
    return b.media_start * movie_scale ==
           a.media_start * movie_scale + (int64_t(a.end) - a.start) * media_scale;
}

}  // namespace ns_movie_apple_qt
