#include "datahandler_import/import_run.h"

#include <cstdio>
#include <cstdlib>

namespace datahandler_import {

void mount_folder(const std::string& folder) {
    setenv("RUV_STREAM_MOUNTS", (std::string(kKolmfsPrefix) + "=" + folder).c_str(), 1);
}

import_run run_import(const std::string& input, const std::vector<std::string>& extra) {
    static int runs = 0;
    const std::string tag = std::to_string(++runs);
    const std::string wav_path = ruv_import_test::output_path("dh_audio_" + tag + ".wav");
    const std::string video_path = ruv_import_test::output_path("dh_video_" + tag + ".bin");
    std::vector<std::string> arguments{"--json", "--audio-out", wav_path, "--video-out", video_path};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(input);

    import_run run;
    run.result = ruv_import_test::run_tool(arguments);
    // Each line of standard output is the event of the same index.
    const std::vector<std::string> lines = ruv_import_test::lines_of(run.result.out);
    for (size_t i = 0; i < lines.size() && i < run.result.events.size(); ++i) {
        const nlohmann::ordered_json& e = run.result.events[i];
        const std::string name = e["event"].get<std::string>();
        if (name == "movie") run.movie_line = lines[i];
        if (name == "stream") run.stream_lines.push_back(lines[i]);
        if (name == "frame") run.frame_lines[int(e["queue"].get<double>())].push_back(lines[i]);
        if (name == "end") {
            if (e.contains("bytes_read")) run.bytes_read = e["bytes_read"].get<double>();
            run.status_json = std::to_string(e["status"]["code"].get<double>()) + "/" +
                              std::to_string(e["status"]["frames"].get<double>()) + "/" +
                              std::to_string(e["status"]["bytes"].get<double>());
        }
    }
    run.wav = test_movie::read_bytes(wav_path);
    run.video = test_movie::read_bytes(video_path);
    std::remove(wav_path.c_str());
    std::remove(video_path.c_str());
    return run;
}

import_run import_bytes(const test_movie::bytes& file, const std::string& name, const char* mode) {
    const std::string path = ruv_import_test::output_path(mode_name(name, mode) + ".mov");
    EXPECT_TRUE(test_movie::write_bytes(file, path)) << path;
    import_run run = run_import(path, {"--set", std::string("data-handler-mode=") + mode});
    std::remove(path.c_str());
    return run;
}

std::string mode_name(const std::string& name, const char* mode) {
    return name + (std::string(mode) == "force-enable" ? "_DataHandler" : "_Path");
}

}  // namespace datahandler_import
