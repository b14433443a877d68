#include "importer/shown_media.h"

#include <algorithm>

#include "importer/qt_constants.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Edits looked at, at most: each search walks the edit list, so a list of
// many thousands of edits would cost its square.
constexpr int kMaxEditsWalked = 4096;

// The smallest integer at or above numerator / denominator (denominator > 0).
int64_t divide_up(int64_t numerator, int64_t denominator) {
    const int64_t q = numerator / denominator;
    return q * denominator < numerator ? q + 1 : q;
}

// Fills the media side of an edit shown from track time a to b: QuickTime
// maps a track time t of an edit at rate 1 to media_start + (t - start) x
// media scale / movie scale, rounded down, so the edit's last instant tells
// whether it plays at rate 1.
void map_media(Track track, TimeValue64 a, TimeValue64 b, TimeScale movie_scale,
               TimeScale media_scale, shown_edit& e) {
    e.first = TrackTimeToMediaDisplayTime(a, track);
    const TimeValue64 at_last_instant = TrackTimeToMediaDisplayTime(b - 1, track);
    const TimeValue64 at_rate_one =
        e.media_start + (b - 1 - e.start) * media_scale / movie_scale;
    e.rate_one = at_last_instant == at_rate_one;
    // At rate 1 the edit shows media up to (b - start) ticks on, a frame
    // starting within its last tick included. Both times are below 2^31 and
    // so are the scales: the products fit.
    e.last = e.rate_one
                 ? e.media_start + divide_up((b - e.start) * media_scale, movie_scale) - 1
                 : at_last_instant;
}

}  // namespace

std::vector<shown_edit> find_shown_edits(Movie movie, Track track, TimeValue from, TimeValue to) {
    std::vector<shown_edit> shown;
    Media media = GetTrackMedia(track);
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    const TimeScale media_scale = media ? GetMediaTimeScale(media) : 0;
    if (movie_scale <= 0 || media_scale <= 0) return shown;

    int16_t flags = qtcode::kNextTimeTrackEdit | qtcode::kNextTimeEdgeOK;
    TimeValue search_from = 0;
    for (int n = 1; n <= kMaxEditsWalked; ++n) {
        TimeValue edit = -1, length = 0;
        GetTrackNextInterestingTime(track, flags, search_from, qtcode::kRateForward, &edit,
                                    &length);
        // The end of the track is an edit of no length.
        if (GetMoviesError() != noErr || edit < 0 || length <= 0 || edit >= to) break;
        flags = qtcode::kNextTimeTrackEdit;
        search_from = edit;
        const int64_t a = std::max<int64_t>(edit, from);
        const int64_t b = std::min<int64_t>(int64_t(edit) + length, to);
        if (b <= a) continue;
        shown_edit e;
        e.number = n;
        e.start = edit;
        e.end = TimeValue(std::min<int64_t>(int64_t(edit) + length, kAfterEveryTrack));
        e.media_start = TrackTimeToMediaDisplayTime(edit, track);
        if (e.media_start < 0) continue;  // an empty edit
        e.first_track_time = TimeValue(a);
        map_media(track, a, b, movie_scale, media_scale, e);
        shown.push_back(e);
    }
    return shown;
}

bool continues_media(const shown_edit& a, const shown_edit& b, TimeScale movie_scale,
                     TimeScale media_scale) {
    if (!a.rate_one || !b.rate_one) return false;
    // Media times beyond 2^31 ticks only come from broken files: such edits
    // continue nothing, and the products below stay in range.
    const int64_t limit = int64_t(1) << 31;
    if (a.media_start >= limit || b.media_start >= limit) return false;
    return b.media_start * movie_scale ==
           a.media_start * movie_scale + (int64_t(a.end) - a.start) * media_scale;
}

}  // namespace ns_movie_apple_qt
