// ruv-import on a set of movies with AAC sound, one import at a time
// (--jobs 1) and two at a time (--jobs 2), each import in a worker process
// of its own. Decoding AAC keeps a processor busy, so on a machine with two
// processors two workers should take at most 0.6 of one's time. The movie
// is made by the i386 ffmpeg named in RUV_FFMPEG_I386 and copied under
// several names.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "timed_run.h"

using namespace bench_run;

namespace {

constexpr double kJobsRatio = 0.6;

bool make_movie(const std::string& ffmpeg, const std::string& path, int seconds) {
    if (file_size(path) > 0) return true;
    std::printf("making %s with %s...\n", path.c_str(), ffmpeg.c_str());
    std::fflush(stdout);
    const std::string part = path + ".part";
    const std::string command = quoted(ffmpeg) +
                                " -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                                "'aevalsrc=0.3*sin(2*PI*440*t)|0.3*sin(2*PI*660*t):s=48000:d=" +
                                std::to_string(seconds) + "' -c:a aac -b:a 192k -f mov " +
                                quoted(part);
    return std::system(command.c_str()) == 0 && std::rename(part.c_str(), path.c_str()) == 0;
}

}  // namespace

int main() {
    const std::string ffmpeg = ffmpeg_i386();
    if (ffmpeg.empty()) {
        std::printf("jobs: skipped, no i386 ffmpeg to make the AAC movies (RUV_FFMPEG_I386)\n");
        return 0;
    }
    const int seconds = quick() ? 10 : 120;
    const int count = quick() ? 4 : 8;
    const std::string folder =
        std::string(RUV_OUTPUT_DIR) + "/bench_jobs_aac_" + std::to_string(seconds) + "s";
    const std::string source = folder + ".mov";
    if (!make_movie(ffmpeg, source, seconds)) {
        std::fprintf(stderr, "bench_ruv_import_jobs: %s cannot make %s\n", ffmpeg.c_str(),
                     source.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (int i = 0; i < count && !error; ++i) {
        const std::string copy = folder + "/aac_" + std::to_string(i) + ".mov";
        if (file_size(copy) != file_size(source))
            std::filesystem::copy_file(source, copy,
                                       std::filesystem::copy_options::overwrite_existing, error);
    }
    if (error) {
        std::fprintf(stderr, "bench_ruv_import_jobs: cannot copy the movies into %s: %s\n",
                     folder.c_str(), error.message().c_str());
        return 1;
    }
    const int rounds = quick() ? 1 : 3;
    run("cat " + quoted(folder) + "/*.mov");  // into the page cache
    const std::string program = quoted(std::string(RUV_OUTPUT_DIR) + "/ruv-import") + " --quiet";
    const std::vector<run_result> r = median_runs(
        {program + " --jobs 1 " + quoted(folder), program + " --jobs 2 " + quoted(folder)}, rounds);
    if (!r[0].ok || !r[1].ok) {
        std::fprintf(stderr, "bench_ruv_import_jobs: a run failed (--jobs 1 %d, --jobs 2 %d)\n",
                     r[0].ok, r[1].ok);
        return 1;
    }
    const unsigned processors = std::thread::hardware_concurrency();
    std::printf(
        "movies: %d copies of %s, %d s of 48 kHz stereo AAC each; %u processor(s); medians of %d "
        "alternating runs\n",
        count, source.c_str(), seconds, processors, rounds);
    std::printf("ruv-import --jobs 1:  %8.3f s  (processor %.3f s)\n", r[0].seconds,
                r[0].cpu_seconds);
    std::printf("ruv-import --jobs 2:  %8.3f s  (processor %.3f s)\n", r[1].seconds,
                r[1].cpu_seconds);
    if (processors < 2) {
        std::printf("--jobs 2 / --jobs 1 time: %.3f (not judged: one processor)\n",
                    r[1].seconds / r[0].seconds);
        return 0;
    }
    return judge("--jobs 2 / --jobs 1 time", r[1].seconds / r[0].seconds, kJobsRatio) ? 0 : 1;
}
