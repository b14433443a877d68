// A large QuickTime movie written as a stream, for the import benchmarks:
// video samples (by default H.264-sized at 25 frames per second, a key frame
// every 25) interleaved, when asked, with 48 kHz stereo 16-bit PCM, one chunk
// of sound per video frame, the movie atom after the media data. Nothing is
// held in memory but the sample tables.
#pragma once

#include <cstdint>
#include <string>

namespace bench_movie {

struct large_movie_plan {
    uint32_t frames = 20000;
    // Video sample sizes vary around this many bytes (all equal when every
    // sample is a key frame).
    uint32_t mean_sample_size = 104000;
    uint32_t codec = 0x61766331;  // 'avc1'
    uint16_t width = 1920;
    uint16_t height = 1080;
    uint32_t time_scale = 2500;
    uint32_t frame_duration = 100;
    uint32_t key_frame_interval = 25;
    bool sound = true;
};

// false when the file cannot be written.
bool write_large_movie(const large_movie_plan& plan, const std::string& path);

// Writes the movie unless the file is there: it is written under another
// name and renamed once whole, so a file that is there is complete. Give each
// plan its own path. false when it cannot be written.
bool ensure_large_movie(const large_movie_plan& plan, const std::string& path);

}  // namespace bench_movie
