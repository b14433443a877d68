#include "importer/shown_media.h"

#include <algorithm>

#include "importer/qt_constants.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Edits looked at, at most: each search walks the edit list, so a list of
// many thousands of edits would cost its square.
constexpr int kMaxEditsWalked = 4096;

}  // namespace

shown_media find_shown_media(Movie movie, Track track, TimeValue from, TimeValue to) {
    shown_media shown;
    Media media = GetTrackMedia(track);
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    const TimeScale media_scale = media ? GetMediaTimeScale(media) : 0;
    if (movie_scale <= 0 || media_scale <= 0) return shown;

    int16_t flags = qtcode::kNextTimeTrackEdit | qtcode::kNextTimeEdgeOK;
    TimeValue search_from = 0;
    for (int n = 0; n < kMaxEditsWalked; ++n) {
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
        const TimeValue64 first = TrackTimeToMediaDisplayTime(a, track);
        if (first < 0) continue;  // an empty edit
        TimeValue64 last = TrackTimeToMediaDisplayTime(b - 1, track);
        double end = double(last + 1) / media_scale;
        // At rate 1 the edit's last instant shows media (b - 1 - a) ticks on,
        // and the edit shows media up to (b - a) ticks on, a frame starting
        // within its last tick included.
        if (last == first + (b - 1 - a) * media_scale / movie_scale) {
            last = first + ((b - a) * media_scale + movie_scale - 1) / movie_scale - 1;
            end = double(first) / media_scale + double(b - a) / movie_scale;
        }
        if (!shown.any) {
            shown.any = true;
            shown.first_track_time = TimeValue(a);
            shown.first = first;
            shown.last = last;
        }
        shown.last = std::max(shown.last, last);
        shown.end_seconds = std::max(shown.end_seconds, end);
    }
    return shown;
}

}  // namespace ns_movie_apple_qt
