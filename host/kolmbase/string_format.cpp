// Formatting into strings and four-character codes as text.
#include <cstdio>
#include <vector>

#include "lib/kolmbase/strings.h"

namespace kolmbase {

std::string string_with_vformat(const char* format, va_list arguments) {
    if (!format) return std::string();
    char small[256];
    va_list copy;
    va_copy(copy, arguments);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return std::string();
    if (size_t(needed) < sizeof small) return std::string(small, size_t(needed));

    std::vector<char> large(size_t(needed) + 1);
    va_copy(copy, arguments);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    return std::string(large.data(), size_t(needed));
}

std::string string_with_format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = string_with_vformat(format, arguments);
    va_end(arguments);
    return text;
}

std::string string_with_fourcc(uint32_t code) {
    std::string text(4, '.');
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = (unsigned char)(code >> (24 - 8 * i));
        if (c >= 0x20 && c < 0x7F) text[size_t(i)] = char(c);
    }
    return text;
}

}  // namespace kolmbase
