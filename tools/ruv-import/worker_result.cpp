#include "worker_result.h"

#include <cinttypes>
#include <cstdio>

namespace ruv_import {

namespace {

// A record separator starts the line: no message of the importer or the
// runtime does.
const std::string kPrefix = "\x1eruv-import worker result:";

}  // namespace

worker_result result_of(const std::vector<queue_summary>& queues) {
    worker_result result;
    for (const queue_summary& q : queues) {
        if (q.video && result.video_frames < 0) result.video_frames = int64_t(q.frames);
        if (!q.video && result.sound_seconds < 0)
            result.sound_seconds = q.frames == 0 ? 0 : q.end_time - q.first_time;
    }
    return result;
}

std::string worker_result_line(const worker_result& result) {
    char text[96];
    std::snprintf(text, sizeof text, " video_frames=%" PRId64 " sound_seconds=%.6f\n",
                  result.video_frames, result.sound_seconds);
    return kPrefix + text;
}

bool take_worker_result(std::string& err, worker_result& result) {
    const size_t at = err.rfind(kPrefix);
    if (at == std::string::npos) return false;
    const size_t end = err.find('\n', at);
    if (end == std::string::npos || end + 1 != err.size()) return false;
    worker_result read;
    const std::string values = err.substr(at + kPrefix.size(), end - at - kPrefix.size());
    if (std::sscanf(values.c_str(), " video_frames=%" SCNd64 " sound_seconds=%lf",
                    &read.video_frames, &read.sound_seconds) != 2)
        return false;
    err.erase(at);
    result = read;
    return true;
}

}  // namespace ruv_import
