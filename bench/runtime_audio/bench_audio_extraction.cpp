// Extraction throughput of a long 48 kHz stereo 24-bit movie into interleaved
// 32-bit big-endian float, in sample frames per second, beside the time to
// copy the same number of output bytes in memory.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_movie.h"
#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "support/movie_builder.h"

using namespace qtrt::audio;
using bench::clock_type;
using bench::open_movie;
using bench::seconds_since;

namespace {

constexpr uint32_t kRate = 48000;
constexpr uint32_t kSeconds = 30;
constexpr uint32_t kFramesPerFill = 1602;  // one 29.97 fps video frame

}  // namespace

int main() {
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/bench_audio_extraction.mov";
    test_movie::movie_plan plan;
    test_movie::track_plan& sound = plan.add_sound(kFormatIn24, 2, 24, kRate);
    sound.samples_per_chunk = 24000;
    sound.add_samples(kRate * kSeconds, 6, 1);  // pattern bytes
    if (!test_movie::write_movie(plan, path)) {
        std::fprintf(stderr, "bench_audio_extraction: cannot write %s\n", path.c_str());
        return 1;
    }
    Movie movie = open_movie(path);
    MovieAudioExtractionRef session = nullptr;
    if (!movie || qtrt::MovieAudioExtractionBegin(movie, 0, &session) != noErr) {
        std::fprintf(stderr, "bench_audio_extraction: cannot extract from %s\n", path.c_str());
        return 1;
    }
    bench::ask_float_big_endian(session);  // the movie is stereo: 8 bytes a frame

    std::vector<uint8_t> buffer(kFramesPerFill * 8);
    uint64_t total = 0;
    const clock_type::time_point start = clock_type::now();
    for (;;) {
        AudioBufferList list{1, {{2, uint32_t(buffer.size()), buffer.data()}}};
        uint32_t frames = kFramesPerFill, flags = 0;
        if (qtrt::MovieAudioExtractionFillBuffer(session, &frames, &list, &flags) != noErr ||
            (flags & kQTMovieAudioExtractionComplete))
            break;
        total += frames;
    }
    const double extract_seconds = seconds_since(start);
    qtrt::MovieAudioExtractionEnd(session);
    qtrt::DisposeMovie(movie);
    std::remove(path.c_str());

    // The same output bytes copied in memory, in buffers of the same size.
    std::vector<uint8_t> source(size_t(total) * 8, 1), target(buffer.size());
    const clock_type::time_point copy_start = clock_type::now();
    for (size_t offset = 0; offset < source.size(); offset += target.size()) {
        const size_t n = std::min(target.size(), source.size() - offset);
        std::memcpy(target.data(), source.data() + offset, n);
    }
    volatile uint8_t sink = target[0];
    (void)sink;
    const double copy_seconds = seconds_since(copy_start);

    std::printf("audio extraction, 48 kHz stereo in24 -> fl32 big-endian interleaved: %llu frames\n",
                static_cast<unsigned long long>(total));
    std::printf("  extraction: %.3f s, %.0f frames/s (%.1f x real time)\n", extract_seconds,
                total / extract_seconds, total / extract_seconds / kRate);
    std::printf("  memcpy of the same %llu bytes: %.4f s\n", static_cast<unsigned long long>(total * 8),
                copy_seconds);
    return total == uint64_t(kRate) * kSeconds ? 0 : 1;
}
