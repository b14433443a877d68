#include "worker_arguments.h"

#include "movie_list.h"
#include "worker_result.h"

namespace ruv_import {

std::vector<std::string> worker_arguments(const options& opts, const std::string& movie) {
    std::vector<std::string> a;
    if (!opts.module_path.empty()) a.insert(a.end(), {"--module", opts.module_path});
    for (const auto& setting : opts.settings)
        a.insert(a.end(), {"--set", setting.first + "=" + setting.second});
    a.insert(a.end(), {"--video-queue", std::to_string(opts.video_queue)});
    a.insert(a.end(), {"--audio-queue", std::to_string(opts.audio_queue)});
    if (opts.no_video) a.push_back("--no-video");
    if (opts.no_audio) a.push_back("--no-audio");
    if (opts.json) a.push_back("--json");
    if (opts.frames) a.push_back("--frames");
    if (opts.quiet) a.push_back("--quiet");
    if (opts.pull) a.push_back("--pull");
    if (opts.pull_queue >= 0) a.insert(a.end(), {"--pull-queue", std::to_string(opts.pull_queue)});
    if (!opts.audio_out.empty())
        a.insert(a.end(), {"--audio-out", output_name(opts.audio_out, movie)});
    if (!opts.video_out.empty())
        a.insert(a.end(), {"--video-out", output_name(opts.video_out, movie)});
    a.push_back(kWorkerResultOption);
    a.insert(a.end(), {"--", movie});
    return a;
}

}  // namespace ruv_import
