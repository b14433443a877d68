#include "importer/shown_range.h"

#include <algorithm>

#include "importer/sample_timing.h"
#include "importer/shown_media.h"
#include "importer/sync_sample.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Decoders reorder a handful of pictures (H.264 and HEVC at most 16): once
// this many samples in a row are shown after a time, none decoded later is
// shown before it.
constexpr int kReorderWindow = 32;

// Decode time of the last sample, in decode order, shown at or before media
// display time last_shown, looking from decode time from on.
TimeValue64 last_sample_shown(Media media, TimeValue64 last_shown, TimeValue64 from) {
    // Start at a sync sample shown inside the range: no sample decoded before
    // it depends on a later one.
    TimeValue64 t = std::max(sync_for_frame_shown_at(media, last_shown), from);
    TimeValue64 last = from;
    int shown_after = 0;
    sample_timing s;
    while (shown_after < kReorderWindow && sample_timing_at(media, t, s) && s.duration > 0) {
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

bool find_shown_range(Movie movie, Track track, TimeValue from, TimeValue to,
                      std::vector<read_segment>& runs) {
    runs.clear();
    Media media = GetTrackMedia(track);
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    const TimeScale media_scale = media ? GetMediaTimeScale(media) : 0;
    if (movie_scale <= 0 || media_scale <= 0) return true;
    const std::vector<shown_edit> edits = find_shown_edits(movie, track, from, to);
    if (edits.empty()) return true;
    // Every time is placed on the time line of the track's first edit that
    // shows media, wherever the window starts.
    const std::vector<shown_edit> first = find_shown_edits(movie, track, 0, kAfterEveryTrack);
    const shown_edit& origin = first.empty() ? edits.front() : first.front();

    for (size_t k = 0; k < edits.size(); ++k) {
        const shown_edit& e = edits[k];
        const TimeValue64 sync = sync_for_frame_shown_at(media, e.first);
        if (sync == -1) return false;
        read_segment run;
        // A sync sample decoded after the frame it should lead to is no start:
        // the media is read from its beginning instead.
        run.from = sync > e.first ? 0 : sync;
        run.last = last_sample_shown(media, e.last, std::max<TimeValue64>(run.from, 0));
        run.shift = double(int64_t(e.start) - origin.start) / movie_scale -
                    double(e.media_start - origin.media_start) / media_scale;
        run.continues = k > 0 && continues_media(edits[k - 1], e, movie_scale, media_scale);
        run.edit_number = e.number;
        runs.push_back(run);
    }
    return true;
}

}  // namespace ns_movie_apple_qt
