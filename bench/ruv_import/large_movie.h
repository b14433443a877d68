// A large QuickTime movie written as a stream, for the import benchmark:
// H.264-sized video samples at 25 frames per second (a key frame every 25)
// interleaved with 48 kHz stereo 16-bit PCM, one chunk of sound per video
// frame, the movie atom after the media data. Nothing is held in memory but
// the sample tables.
#pragma once

#include <cstdint>
#include <string>

namespace bench_movie {

struct large_movie_plan {
    uint32_t frames = 20000;
    // Video sample sizes vary around this many bytes.
    uint32_t mean_sample_size = 104000;
};

// false when the file cannot be written.
bool write_large_movie(const large_movie_plan& plan, const std::string& path);

}  // namespace bench_movie
