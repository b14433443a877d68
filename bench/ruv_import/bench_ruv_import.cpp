// ruv-import on a movie of more than 2 GiB (20,000 video frames with 48 kHz
// stereo PCM) read from the page cache, beside `cat` of the same file and the
// stream copy of the same file by the i386 ffmpeg named in RUV_FFMPEG_I386
// (run the same way as ruv-import, natively or under the same emulator).
// Goals: ruv-import takes at most twice cat's time (half its throughput) and
// at most the i386 ffmpeg's time. A native ffmpeg on the PATH is timed beside
// them for information.
#include <cstdio>
#include <string>
#include <vector>

#include "large_movie.h"
#include "timed_run.h"

using namespace bench_run;

namespace {

constexpr double kCatRatio = 2.0;
constexpr double kFfmpegRatio = 1.0;

double mib_per_second(uint64_t bytes, double seconds) {
    return seconds > 0 ? double(bytes) / (1024.0 * 1024.0) / seconds : 0;
}

void print_run(const char* name, const run_result& r, uint64_t bytes) {
    std::printf("%-22s %8.3f s  %8.1f MiB/s  (processor %.3f s)\n", name, r.seconds,
                mib_per_second(bytes, r.seconds), r.cpu_seconds);
}

}  // namespace

int main() {
    const std::string folder = RUV_OUTPUT_DIR;
    const std::string tool = folder + "/ruv-import";
    const uint32_t frames = quick() ? 1000 : 20000;
    const std::string movie = folder + "/bench_ruv_import_" + std::to_string(frames) + ".mov";
    bench_movie::large_movie_plan plan;
    plan.frames = frames;
    if (!bench_movie::ensure_large_movie(plan, movie)) {
        std::fprintf(stderr, "bench_ruv_import: cannot write %s\n", movie.c_str());
        return 1;
    }
    const uint64_t size = file_size(movie);
    const int rounds = quick() ? 1 : 5;

    std::vector<std::string> commands{"cat " + quoted(movie), quoted(tool) + " --quiet " + quoted(movie)};
    const std::string ffmpeg = ffmpeg_i386();
    const std::string copy = " -nostdin -v quiet -i " + quoted(movie) + " -map 0 -c copy -f null -";
    if (!ffmpeg.empty()) commands.push_back(quoted(ffmpeg) + copy);
    run(commands[0]);  // into the page cache
    const std::vector<run_result> r = median_runs(commands, rounds);
    if (!r[0].ok || !r[1].ok) {
        std::fprintf(stderr, "bench_ruv_import: a run failed (cat %d, ruv-import %d)\n", r[0].ok, r[1].ok);
        return 1;
    }

    std::printf("movie: %s, %.2f GiB, %u video frames, 48 kHz stereo PCM; medians of %d alternating runs\n",
                movie.c_str(), double(size) / double(1 << 30), frames, rounds);
    print_run("cat:", r[0], size);
    print_run("ruv-import:", r[1], size);
    std::printf("ruv-import: %.0f frames/s, peak resident %ld KiB\n", frames / r[1].seconds, r[1].peak_kib);
    bool met = judge("ruv-import / cat time", r[1].seconds / r[0].seconds, kCatRatio);
    if (r.size() > 2 && r[2].ok) {
        print_run("ffmpeg (i386) -c copy:", r[2], size);
        met = judge("ruv-import / ffmpeg (i386) time", r[1].seconds / r[2].seconds, kFfmpegRatio) && met;
    } else {
        std::printf("ffmpeg (i386): not available, not compared\n");
    }
    if (!quick() && run("command -v ffmpeg").ok) {
        const run_result native = run("ffmpeg" + copy);
        if (native.ok) print_run("native ffmpeg -c copy:", native, size);
    }
    return met ? 0 : 1;
}
