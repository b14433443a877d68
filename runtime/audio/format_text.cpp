#include "audio/format_text.h"

#include <cstdio>

namespace qtrt::audio {

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
