#include "datahandler_import/import_run.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace datahandler_import {

namespace {

std::string field(const std::string& line, const std::string& key) {
    return line.find("\"event\":\"" + key + "\"") != std::string::npos ? line : std::string();
}

uint64_t big_endian(const unsigned char* p, int count) {
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) v = v << 8 | p[i];
    return v;
}

}  // namespace

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
    for (const std::string& line : ruv_import_test::lines_of(run.result.out)) {
        if (!field(line, "movie").empty()) run.movie_line = line;
        if (!field(line, "stream").empty()) run.stream_lines.push_back(line);
    }
    for (const json_test::value& e : run.result.events) {
        const std::string& name = e["event"].text;
        if (name == "end") {
            if (e.has("bytes_read")) run.bytes_read = e["bytes_read"].num;
            run.status_json = std::to_string(e["status"]["code"].num) + "/" +
                              std::to_string(e["status"]["frames"].num) + "/" +
                              std::to_string(e["status"]["bytes"].num);
        }
    }
    // The lines again, by queue, as written.
    const std::vector<std::string> lines = ruv_import_test::lines_of(run.result.out);
    for (size_t i = 0; i < lines.size() && i < run.result.events.size(); ++i) {
        const json_test::value& e = run.result.events[i];
        if (e["event"].text == "frame") run.frame_lines[int(e["queue"].num)].push_back(lines[i]);
    }
    run.wav = ruv_import_test::read_file(wav_path);
    run.video = ruv_import_test::read_file(video_path);
    std::remove(wav_path.c_str());
    std::remove(video_path.c_str());
    return run;
}

uint64_t movie_atom_size(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    uint64_t offset = 0;
    unsigned char header[16];
    while (in.seekg(std::streamoff(offset)) && in.read(reinterpret_cast<char*>(header), 8)) {
        uint64_t size = big_endian(header, 4);
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(header + 8), 8)) return 0;
            size = big_endian(header + 8, 8);
        }
        if (std::string(reinterpret_cast<char*>(header + 4), 4) == "moov") return size;
        if (size < 8) return 0;
        offset += size;
    }
    return 0;
}

}  // namespace datahandler_import
