// Warnings of movie audio extraction: what the runtime leaves out or replaces
// with silence while it goes on. QuickTime's extraction interface has no way
// to report them, so they go to the process's standard error, one line each
// ("QuickTime.qts: warning: ..."); a test may take them instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qtrt::audio {

void sound_warning(const std::string& text);

// Replaces where warnings go (null: standard error again); answers the
// previous receiver.
using warning_sink = std::function<void(const std::string&)>;
warning_sink set_sound_warning_sink(warning_sink sink);

// While it lives, the calling thread's warnings are kept in `into` instead:
// a fill made ahead of its client holds them until the client takes it.
class sound_warning_capture {
public:
    explicit sound_warning_capture(std::vector<std::string>& into);
    ~sound_warning_capture();
    sound_warning_capture(const sound_warning_capture&) = delete;
    sound_warning_capture& operator=(const sound_warning_capture&) = delete;

private:
    std::vector<std::string>* m_previous;
};

}  // namespace qtrt::audio
