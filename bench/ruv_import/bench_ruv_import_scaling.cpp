// What grows with a movie's length. Cost per sample: ruv-import on movies of
// 8x8 raw video at 1000 frames per second, 10,000 and 1,000,000 samples, less
// the time of a movie of one sample (the start-up); the larger may cost at
// most 1.5 times as much per sample (judged on processor time, which the
// machine's other load does not inflate; wall time printed beside it). Peak
// memory: ruv-import on a 1-minute and a 10-minute movie of the large-movie
// kind (H.264-sized video with PCM sound); the longer may take at most 10%
// more resident memory.
#include <cstdio>
#include <string>
#include <vector>

#include "large_movie.h"
#include "timed_run.h"

using namespace bench_run;

namespace {

constexpr double kPerSampleRatio = 1.5;
constexpr double kMemoryRatio = 1.1;
constexpr int kMemoryRounds = 9;  // runs of each movie whose highest peak counts

// Runs on one processor where taskset is there (see each use for why); empty
// otherwise.
std::string pinned() { return run("command -v taskset >/dev/null").ok ? "taskset -c 0 " : ""; }

bench_movie::large_movie_plan tiny_raw_video(uint32_t samples) {
    bench_movie::large_movie_plan plan;
    plan.frames = samples;
    plan.codec = 0x72617720;  // 'raw '
    plan.width = 8;
    plan.height = 8;
    plan.mean_sample_size = 8 * 8 * 3;
    plan.time_scale = 1000;
    plan.frame_duration = 1;
    plan.key_frame_interval = 1;
    plan.sound = false;
    return plan;
}

bool per_sample_cost(const std::string& folder, const std::string& tool, bool& met) {
    const uint32_t few = quick() ? 1000 : 10000;
    const uint32_t many = quick() ? 100000 : 1000000;
    // Every frame is handed to a consumer thread. On two processors the
    // scheduler keeps a short run's threads on one processor or spreads
    // them, as it likes, and a hand-over across processors costs about 2 us
    // of processor time: a 10,000-sample run took 30 ms or 55 ms at random
    // while the 1,000,000-sample run always spread. On one processor both
    // measure the import's own cost per sample.
    const std::string pin = pinned();
    std::vector<std::string> movies, commands;
    for (uint32_t samples : {1u, few, many}) {
        movies.push_back(folder + "/bench_raw_8x8_" + std::to_string(samples) + ".mov");
        if (!bench_movie::ensure_large_movie(tiny_raw_video(samples), movies.back())) return false;
        commands.push_back(pin + quoted(tool) + " --quiet " + quoted(movies.back()));
    }
    const std::vector<run_result> r = median_runs(commands, quick() ? 1 : 7);
    if (!r[0].ok || !r[1].ok || !r[2].ok) return false;
    auto per_sample = [&](size_t i, uint32_t samples, bool cpu) {
        const double t = cpu ? r[i].cpu_seconds - r[0].cpu_seconds : r[i].seconds - r[0].seconds;
        return t / double(samples - 1) * 1e9;
    };
    std::printf("8x8 raw video at 1000 frames/s; medians of %d alternating runs%s, less a 1-sample movie's "
                "(%.3f s, processor %.3f s)\n",
                quick() ? 1 : 7, pin.empty() ? "" : " on one processor", r[0].seconds, r[0].cpu_seconds);
    std::printf("%8u samples: %7.1f ns per sample (processor %7.1f ns), peak resident %ld KiB\n", few,
                per_sample(1, few, false), per_sample(1, few, true), r[1].peak_kib);
    std::printf("%8u samples: %7.1f ns per sample (processor %7.1f ns), peak resident %ld KiB\n", many,
                per_sample(2, many, false), per_sample(2, many, true), r[2].peak_kib);
    // A cost below the clock's grain is as flat as it gets.
    const double base = std::max(per_sample(1, few, true), 1.0);
    met = judge("per-sample processor time, many / few", per_sample(2, many, true) / base, kPerSampleRatio);
    return true;
}

bool peak_memory(const std::string& folder, const std::string& tool, bool& met) {
    const uint32_t minute = quick() ? 150 : 1500;  // 25 frames per second
    const std::string pin = pinned();
    std::vector<std::string> commands;
    for (uint32_t frames : {minute, minute * 10}) {
        bench_movie::large_movie_plan plan;
        plan.frames = frames;
        const std::string movie = folder + "/bench_ruv_import_" + std::to_string(frames) + ".mov";
        if (!bench_movie::ensure_large_movie(plan, movie)) return false;
        commands.push_back(pin + quoted(tool) + " --quiet " + quoted(movie));
    }
    // A run's peak depends on how many frames wait in the queues when the
    // consumers fall behind. On two processors that is the scheduler's
    // doing and varies by 800 KiB from run to run, more than the 10% judged;
    // pinned to one processor, the consumers run when the importer waits on
    // a full queue, so that every run holds about as many frames. Each
    // movie's highest peak of several runs is the bound it reaches.
    const std::vector<run_result> r = median_runs(commands, quick() ? 1 : kMemoryRounds);
    if (!r[0].ok || !r[1].ok) return false;
    std::printf("highest peak resident of %d runs%s, %u and %u frames with PCM sound (%s): "
                "%ld KiB and %ld KiB\n",
                quick() ? 1 : kMemoryRounds, pin.empty() ? "" : " on one processor", minute,
                minute * 10, quick() ? "6 s and 60 s" : "1 and 10 minutes", r[0].peak_kib,
                r[1].peak_kib);
    met = judge("peak resident, longer / shorter", double(r[1].peak_kib) / double(r[0].peak_kib),
                kMemoryRatio);
    return true;
}

}  // namespace

int main() {
    const std::string folder = RUV_OUTPUT_DIR;
    const std::string tool = folder + "/ruv-import";
    bool per_sample_met = false, memory_met = false;
    if (!per_sample_cost(folder, tool, per_sample_met) || !peak_memory(folder, tool, memory_met)) {
        std::fprintf(stderr, "bench_ruv_import_scaling: a movie cannot be written or a run failed\n");
        return 1;
    }
    return per_sample_met && memory_met ? 0 : 1;
}
