// ruv-import on a movie of more than 2 GiB (20,000 video frames with 48 kHz
// stereo PCM) read from the page cache, beside `cat` of the same file: both
// throughputs, their ratio, frames per second and the import's peak resident
// memory, which must not grow with the movie's length (a movie a tenth as
// long is imported too, for comparison). The stream copy of the same file by
// the i386 ffmpeg named in RUV_FFMPEG_I386 (run the same way as ruv-import,
// natively or under the same emulator) gives the ratio; a native ffmpeg on
// the PATH is timed beside it for information.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "large_movie.h"

namespace {

using clock_type = std::chrono::steady_clock;

struct run_result {
    bool ok = false;
    double seconds = 0;
    long peak_kib = 0;
};

// Runs the command through the shell, its output discarded.
run_result run(const std::string& command) {
    run_result result;
    auto start = clock_type::now();
    pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", (command + " >/dev/null 2>&1").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) return result;
    result.seconds = std::chrono::duration<double>(clock_type::now() - start).count();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peak_kib = usage.ru_maxrss;
    return result;
}

uint64_t file_size(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? uint64_t(info.st_size) : 0;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

bool ensure_movie(const std::string& path, uint32_t frames, uint64_t least_size) {
    if (file_size(path) >= least_size) return true;
    std::printf("writing %s (%u frames)...\n", path.c_str(), frames);
    std::fflush(stdout);
    bench_movie::large_movie_plan plan;
    plan.frames = frames;
    return bench_movie::write_large_movie(plan, path);
}

double mib_per_second(uint64_t bytes, double seconds) {
    return seconds > 0 ? double(bytes) / (1024.0 * 1024.0) / seconds : 0;
}

}  // namespace

int main() {
    const std::string folder = RUV_OUTPUT_DIR;
    const std::string tool = folder + "/ruv-import";
    const std::string large = folder + "/bench_ruv_import_large.mov";
    const std::string small = folder + "/bench_ruv_import_small.mov";
    const uint32_t frames = 20000;
    const uint64_t two_gib = uint64_t(2) << 30;

    if (!ensure_movie(large, frames, two_gib) || !ensure_movie(small, frames / 10, 1)) {
        std::fprintf(stderr, "bench_ruv_import: cannot write the benchmark movies in %s\n", folder.c_str());
        return 1;
    }
    const uint64_t size = file_size(large);

    // Into the page cache first, then timed from it.
    run("cat " + quoted(large));
    run_result cat = run("cat " + quoted(large));
    run_result import = run(quoted(tool) + " --quiet " + quoted(large));
    run_result small_import = run(quoted(tool) + " --quiet " + quoted(small));
    if (!cat.ok || !import.ok || !small_import.ok) {
        std::fprintf(stderr, "bench_ruv_import: a run failed (cat %d, import %d, short import %d)\n",
                     cat.ok, import.ok, small_import.ok);
        return 1;
    }

    std::printf("movie: %s, %.2f GiB, %u video frames, 48 kHz stereo PCM\n", large.c_str(),
                double(size) / double(two_gib / 2), frames);
    std::printf("cat:        %8.3f s  %8.1f MiB/s\n", cat.seconds, mib_per_second(size, cat.seconds));
    std::printf("ruv-import: %8.3f s  %8.1f MiB/s  %8.0f frames/s  peak resident %ld KiB\n",
                import.seconds, mib_per_second(size, import.seconds), frames / import.seconds,
                import.peak_kib);
    std::printf("ruv-import / cat throughput: %.3f\n", cat.seconds / import.seconds);
    std::printf("peak resident of a movie a tenth as long: %ld KiB\n", small_import.peak_kib);

    const std::string copy = " -nostdin -v quiet -i " + quoted(large) + " -map 0 -c copy -f null -";
    if (const char* ffmpeg_i386 = std::getenv("RUV_FFMPEG_I386")) {
        run_result ffmpeg = run(quoted(ffmpeg_i386) + copy);
        if (ffmpeg.ok) {
            std::printf("ffmpeg (i386) -c copy: %8.3f s  %8.1f MiB/s\n", ffmpeg.seconds,
                        mib_per_second(size, ffmpeg.seconds));
            std::printf("ruv-import / ffmpeg (i386) throughput: %.3f\n", ffmpeg.seconds / import.seconds);
        }
    } else {
        std::printf("ffmpeg (i386): not available, not compared\n");
    }
    if (run("command -v ffmpeg").ok) {
        run_result native = run("ffmpeg" + copy);
        if (native.ok)
            std::printf("for information, native ffmpeg -c copy: %8.3f s  %8.1f MiB/s\n", native.seconds,
                        mib_per_second(size, native.seconds));
    }
    return 0;
}
