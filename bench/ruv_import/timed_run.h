// Timing whole programs for the import benchmarks: wall time, processor time
// (user and system, which the machine's other load does not inflate the way
// it does wall time) and peak resident memory of a command, and the median
// of runs that alternate between the programs compared, so that a change of
// load in the middle does not favour one of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench_run {

struct run_result {
    bool ok = false;
    double seconds = 0;      // wall
    double cpu_seconds = 0;  // user + system
    long peak_kib = 0;
};

// Runs the command through the shell, its output discarded.
run_result run(const std::string& command);

// Runs each command `rounds` times, alternating, and answers the median of
// each (wall and processor time taken separately; the largest peak); a
// result is not ok when any of its runs failed.
std::vector<run_result> median_runs(const std::vector<std::string>& commands, int rounds);

// Whether the benchmark runs in its short form (RUV_BENCH_QUICK set and not
// 0): smaller movies, one round, goals printed but not judged. CI runs it so
// that the benchmarks keep building and running.
bool quick();

// The i386 ffmpeg to compare with (RUV_FFMPEG_I386), or empty.
std::string ffmpeg_i386();

uint64_t file_size(const std::string& path);
std::string quoted(const std::string& text);

// Prints "name: ratio (goal: at most limit)" and answers whether it holds;
// quick runs always answer true.
bool judge(const char* name, double ratio, double limit);

}  // namespace bench_run
