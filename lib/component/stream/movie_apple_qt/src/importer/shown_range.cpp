#include "importer/shown_range.h"

#include <algorithm>

#include "importer/sample_timing.h"
#include "importer/sync_sample.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Decoders reorder a handful of pictures (H.264 and HEVC at most 16): once
// this many samples in a row are shown after a time, none decoded later is
// shown before it.
constexpr int kReorderWindow = 32;

// Decode time of the last sample, in decode order, shown at or before media
// display time last_shown, looking from decode time from on; each sample
// looked at takes one from budget, and the search stops when none is left.
TimeValue64 last_sample_shown(Media media, TimeValue64 last_shown, TimeValue64 from,
                              uint64_t& budget) {
    // Start at a sync sample shown inside the range: no sample decoded before
    // it depends on a later one.
    TimeValue64 t = std::max(sync_for_frame_shown_at(media, last_shown), from);
    TimeValue64 last = from;
    int shown_after = 0;
    sample_timing s;
    while (shown_after < kReorderWindow && budget > 0 && sample_timing_at(media, t, s) &&
           s.duration > 0) {
        --budget;
        if (s.display <= last_shown) {
            last = s.decode;
            shown_after = 0;
        } else {
            ++shown_after;
        }
        t = s.decode + s.duration;
    }
    return last;
}

}  // namespace

bool find_shown_range(Track track, Media media, const std::vector<shown_edit>& edits,
                      TimeScale movie_scale, TimeScale media_scale, TimeValue from, TimeValue to,
                      uint64_t budget, std::vector<read_segment>& runs, int& cut_at) {
    runs.clear();
    cut_at = 0;
    if (edits.empty() || movie_scale <= 0 || media_scale <= 0) return true;
    // Every time is placed on the time line of the track's first edit that
    // shows media, wherever the window starts.
    const shown_edit& origin = edits.front();
    const shown_edit* previous = nullptr;
    for (const shown_edit& e : edits) {
        const TimeValue a = std::max(e.start, from);
        const TimeValue b = std::min(e.end, to);
        if (b <= a) continue;
        if (budget == 0) {
            cut_at = e.number;
            break;
        }
        // Only the window's first edit may start inside it.
        const TimeValue64 first =
            runs.empty() ? TrackTimeToMediaDisplayTime(a, track) : e.media_start;
        const TimeValue64 sync = sync_for_frame_shown_at(media, first < 0 ? 0 : first);
        if (sync == -1) return false;
        read_segment run;
        // A sync sample decoded after the frame it should lead to is no start:
        // the media is read from its beginning instead.
        run.from = sync > first ? 0 : sync;
        run.last = last_sample_shown(media, last_shown(e, b, movie_scale, media_scale),
                                     std::max<TimeValue64>(run.from, 0), budget);
        run.shift = shift_from(origin, e, movie_scale, media_scale);
        run.continues =
            previous && continues_media(*previous, e, movie_scale, media_scale);
        run.edit_number = e.number;
        runs.push_back(run);
        previous = &e;
    }
    return true;
}

}  // namespace ns_movie_apple_qt
