#include "my_log_handler.h"

#include <cstdio>

namespace {

// Formats into the buffer, cutting the text to fit; always terminated.
void format_text(char (&text)[my_log_handler::text_capacity], const char* format,
                 va_list arguments) {
    text[0] = '\0';
    if (!format) return;
    if (std::vsnprintf(text, sizeof text, format, arguments) < 0) text[0] = '\0';
}

}  // namespace

void my_log_handler::message(int, const char* format, va_list arguments) {
    if (!format) return;
    char text[text_capacity];
    format_text(text, format, arguments);
}

void my_log_handler::error(int, int, const char* format, va_list arguments) {
    char text[text_capacity];
    format_text(text, format, arguments);
    std::fprintf(stderr, "error: [ruv_importer_any_apple_qt] %s\n", text);
}
