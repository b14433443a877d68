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

}  // namespace

void sound_warning(const std::string& text) {
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

std::string format_text(uint32_t format) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>(format >> shift);
        if (c >= 0x20 && c < 0x7F) {
            text += char(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

}  // namespace qtrt::audio
