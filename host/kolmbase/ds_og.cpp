// Diagnostic lines with a process-wide level threshold.
#include "lib/kolmbase/ds_og.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "lib/kolmbase/strings.h"

namespace kolmbase {
namespace ds_og {
namespace {

int threshold_from_environment() {
    const char* text = std::getenv("RUV_DEBUG_LEVEL");
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0') return 0;
    return int(value);
}

std::atomic<int>& threshold_value() {
    static std::atomic<int> value(threshold_from_environment());
    return value;
}

struct sink_state {
    std::mutex mutex;
    print_sink sink = nullptr;
    void* context = nullptr;
};

sink_state& sink() {
    static sink_state state;
    return state;
}

}  // namespace

int threshold() { return threshold_value().load(); }

void set_threshold(int level) { threshold_value().store(level); }

void set_sink(print_sink function, void* context) {
    sink_state& state = sink();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.sink = function;
    state.context = context;
}

void vprint(int level, const char* format, va_list arguments) {
    if (level > threshold()) return;
    std::string text = string_with_vformat(format, arguments);
    sink_state& state = sink();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.sink) {
        state.sink(level, text.c_str(), state.context);
        return;
    }
    if (text.empty() || text.back() != '\n') text += '\n';
    std::fputs(text.c_str(), stderr);
}

void print(int level, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vprint(level, format, arguments);
    va_end(arguments);
}

void abort_if(bool condition, const char* expression, const char* file, int line) {
    if (!condition) return;
    std::fprintf(stderr, "assertion failed: %s (%s:%d)\n", expression ? expression : "",
                 file ? file : "", line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace ds_og
}  // namespace kolmbase
