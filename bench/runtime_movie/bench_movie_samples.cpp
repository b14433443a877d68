// The time to open a movie of 1,000,000 video samples (B-frame composition
// offsets, a sync sample every 12, several samples per chunk) and the cost per
// sample of a full walk by decode time (next interesting time, then
// GetMediaSample2 without data), printed for each tenth of the walk so that
// a cost growing with the sample index would show.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_movie.h"
#include "support/movie_builder.h"

using bench::clock_type;
using bench::open_movie;
using bench::seconds_since;

namespace {

constexpr uint32_t kSamples = 1000000;

test_movie::movie_plan large_movie() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 320, 240);
    video.time_scale = 2500;
    video.samples_per_chunk = 5;
    const int32_t offsets[3] = {200, 0, 100};
    video.samples.resize(kSamples);
    for (uint32_t i = 0; i < kSamples; ++i) {
        test_movie::sample& s = video.samples[i];
        s.size = 8 + i % 17;
        s.duration = 100;
        s.composition_offset = offsets[i % 3];
        s.sync = i % 12 == 0;
    }
    return plan;
}

}  // namespace

int main() {
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/bench_movie_samples.mov";
    if (!test_movie::write_movie(large_movie(), path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    clock_type::time_point start = clock_type::now();
    Movie movie = open_movie(path);
    const double open_seconds = seconds_since(start);
    if (!movie) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    Media media = qtrt::GetTrackMedia(qtrt::GetMovieIndTrack(movie, 1));
    const int32_t count = qtrt::GetMediaSampleCount(media);
    std::printf("samples: %d\nopen: %.3f ms\n", count, open_seconds * 1e3);

    TimeValue64 t = 0, duration = 0;
    qtrt::GetMediaNextInterestingDecodeTime(media, 0x4001, 0, 0x10000, &t, &duration);
    uint32_t walked = 0;
    const uint32_t tenth = uint32_t(count) / 10;
    start = clock_type::now();
    while (t >= 0) {
        ByteCount size = 0;
        TimeValue64 decode = 0, decode_duration = 0, offset = 0;
        MediaSampleFlags flags = 0;
        if (qtrt::GetMediaSample2(media, nullptr, 0, &size, t, &decode, &decode_duration, &offset,
                                  nullptr, nullptr, 1, nullptr, &flags) != noErr)
            break;
        ++walked;
        if (tenth && walked % tenth == 0) {
            std::printf("samples %7u-%7u: %.1f ns per sample\n", walked - tenth + 1, walked,
                        seconds_since(start) * 1e9 / tenth);
            start = clock_type::now();
        }
        qtrt::GetMediaNextInterestingDecodeTime(media, 0x1, t, 0x10000, &t, &duration);
    }
    std::printf("walked: %u samples\n", walked);
    qtrt::DisposeMovie(movie);
    std::remove(path.c_str());
    return walked == uint32_t(count) ? 0 : 1;
}
