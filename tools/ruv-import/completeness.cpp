#include "completeness.h"

#include <algorithm>

#include "lib/kolmbase/strings.h"

namespace ruv_import {

namespace {

// How far short of its track's end a stream may stop: rounding of the last
// frame or chunk, and tracks whose edits reach a little past their media.
constexpr double kTolerance = 0.1;

}  // namespace

std::string missing_media(const Ruv::CM::RMovieInfo& info, const std::vector<queue_summary>& queues,
                          double start_time, double end_time) {
    for (const queue_summary& q : queues) {
        for (size_t i = 0; i < info.getTrackCount(); ++i) {
            Ruv::RPtr<Ruv::CM::RTrackInfo> track = info.getTrack(i);
            bool video = track->getKind() == Ruv::CM::RTrackInfo::kVideo;
            if (video != q.video) continue;
            double track_end = track->getStart().getSecondsAsDouble() +
                               track->getDuration().getSecondsAsDouble();
            double expected = std::min(track_end, end_time);
            if (expected <= start_time || q.frames == 0) continue;
            if (q.end_time + kTolerance < expected)
                return kolmbase::string_with_format("%s ends at %.3f s of %.3f s",
                                                    video ? "video" : "audio", q.end_time, expected);
        }
    }
    return "";
}

}  // namespace ruv_import
