// Warnings of movie audio extraction: what the runtime leaves out or replaces
// with silence while it goes on. QuickTime's extraction interface has no way
// to report them, so they go to the process's standard error, one line each
// ("QuickTime.qts: warning: ..."); a test may take them instead.
#pragma once

#include <functional>
#include <string>

namespace qtrt::audio {

void sound_warning(const std::string& text);

// Replaces where warnings go (null: standard error again); answers the
// previous receiver.
using warning_sink = std::function<void(const std::string&)>;
warning_sink set_sound_warning_sink(warning_sink sink);

}  // namespace qtrt::audio
