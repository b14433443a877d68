// A sound data format as text for messages.
#pragma once

#include <cstdint>
#include <string>

namespace qtrt::audio {

// The format's four characters, with those that are not printable written
// as \xNN.
std::string format_text(uint32_t format);

}  // namespace qtrt::audio
