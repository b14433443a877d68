// The importer's bridge from the reader library's log to the host process's
// standard error stream: errors become one line each, marked with the module
// name; messages are dropped. The lines are written on standard error
// directly, whatever the host's diagnostic level.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "importer/log.h"

class my_log_handler final : public ns_movie_apple_qt::log_handler {
public:
    // Formats the text and discards it; a null format formats nothing.
    void message(int value, const char* format, va_list arguments) override;
    // Writes "error: [ruv_importer_any_apple_qt] <text>" as one line.
    void error(int value1, int value2, const char* format, va_list arguments) override;

    // Texts are cut to this many bytes, the terminating zero included.
    static constexpr size_t text_capacity = 1024;
};
