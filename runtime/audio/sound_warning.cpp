#include "audio/sound_warning.h"

#include <cstdio>
#include <mutex>

namespace qtrt::audio {
namespace {

std::mutex& sink_mutex() {
    static std::mutex m;
    return m;
}

warning_sink& current_sink() {
    static warning_sink sink;
    return sink;
}

thread_local std::vector<std::string>* t_capture = nullptr;

}  // namespace

void sound_warning(const std::string& text) {
    if (t_capture) {
        t_capture->push_back(text);
        return;
    }
    std::lock_guard<std::mutex> lock(sink_mutex());
    if (current_sink()) {
        current_sink()(text);
        return;
    }
    std::fprintf(stderr, "QuickTime.qts: warning: %s\n", text.c_str());
}

warning_sink set_sound_warning_sink(warning_sink sink) {
    std::lock_guard<std::mutex> lock(sink_mutex());
    warning_sink previous = std::move(current_sink());
    current_sink() = std::move(sink);
    return previous;
}

sound_warning_capture::sound_warning_capture(std::vector<std::string>& into) : m_previous(t_capture) {
    t_capture = &into;
}

sound_warning_capture::~sound_warning_capture() { t_capture = m_previous; }

}  // namespace qtrt::audio
