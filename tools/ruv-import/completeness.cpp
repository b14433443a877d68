#include "completeness.h"

#include <algorithm>

#include "lib/kolmbase/strings.h"

namespace ruv_import {

namespace {

// How far short of its track's end a stream may stop: rounding of the last
// frame or chunk, and tracks whose edits reach a little past their media.
constexpr double kTolerance = 0.1;

constexpr uint32_t kVideo = uint32_t('v') << 24 | uint32_t('i') << 16 | uint32_t('d') << 8 | 'e';
constexpr uint32_t kSound = uint32_t('s') << 24 | uint32_t('o') << 16 | uint32_t('u') << 8 | 'n';

const track_time_line* first_video(const movie_time_line& movie) {
    for (const track_time_line& t : movie.tracks)
        if (t.handler == kVideo && t.enabled && t.shows_media) return &t;
    return nullptr;
}

}  // namespace

// The import's time line starts where the video's first shown frame decodes
// from: a movie time plus a shift that is at least minus the video's leading
// empty edits (the frames decoded before the first shown one only add to it).
// So each stream reaches at least the end of its tracks' edits less those
// empty edits.
std::string missing_media(const movie_time_line& movie, const std::vector<queue_summary>& queues,
                          double start_time, double end_time) {
    if (movie.time_scale == 0) return "";
    const double scale = double(movie.time_scale);
    const track_time_line* video = first_video(movie);
    const double lead = video ? double(video->leading_empty) / scale : 0.0;
    for (const queue_summary& q : queues) {
        double track_end = 0.0;
        for (const track_time_line& t : movie.tracks) {
            if (!t.enabled || !t.shows_media) continue;
            if (q.video ? &t != video : t.handler != kSound) continue;
            track_end = std::max(track_end, double(t.end) / scale - lead);
        }
        const double expected = std::min(track_end, end_time);
        if (expected <= start_time || q.frames == 0) continue;
        if (q.end_time + kTolerance < expected)
            return kolmbase::string_with_format("%s ends at %.3f s of %.3f s",
                                                q.video ? "video" : "audio", q.end_time, expected);
    }
    return "";
}

}  // namespace ruv_import
