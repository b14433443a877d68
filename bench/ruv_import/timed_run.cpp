#include "timed_run.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench_run {

namespace {

double seconds_of(const struct timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

run_result run(const std::string& command) {
    run_result result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", (command + " >/dev/null 2>&1").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) return result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peak_kib = usage.ru_maxrss;
    return result;
}

std::vector<run_result> median_runs(const std::vector<std::string>& commands, int rounds) {
    std::vector<std::vector<run_result>> runs(commands.size());
    for (int r = 0; r < rounds; ++r)
        for (size_t c = 0; c < commands.size(); ++c) runs[c].push_back(run(commands[c]));
    std::vector<run_result> medians;
    for (const std::vector<run_result>& of_one : runs) {
        run_result m;
        m.ok = !of_one.empty();
        std::vector<double> wall, cpu;
        for (const run_result& r : of_one) {
            m.ok = m.ok && r.ok;
            wall.push_back(r.seconds);
            cpu.push_back(r.cpu_seconds);
            m.peak_kib = std::max(m.peak_kib, r.peak_kib);
        }
        if (m.ok) {
            m.seconds = median(wall);
            m.cpu_seconds = median(cpu);
        }
        medians.push_back(m);
    }
    return medians;
}

bool quick() {
    const char* value = std::getenv("RUV_BENCH_QUICK");
    return value && *value && std::strcmp(value, "0") != 0;
}

std::string ffmpeg_i386() {
    const char* path = std::getenv("RUV_FFMPEG_I386");
    return path ? path : "";
}

uint64_t file_size(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? uint64_t(info.st_size) : 0;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

bool judge(const char* name, double ratio, double limit) {
    const bool holds = ratio <= limit;
    std::printf("%s: %.3f (goal: at most %.2f)%s\n", name, ratio, limit,
                quick() ? ", not judged in a quick run" : holds ? ", met" : ", MISSED");
    return holds || quick();
}

}  // namespace bench_run
