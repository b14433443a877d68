// Diagnostic output.
//
// print writes a line to standard error when its level is at or below the
// process threshold. The threshold starts from the environment variable
// RUV_DEBUG_LEVEL (an integer; absent or unparsable: 0) and can be changed by
// the host.
#pragma once

#include <cstdarg>

#include "lib/host_export.h"

namespace kolmbase {
namespace ds_og {

KOLMBASE_API void print(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
KOLMBASE_API void vprint(int level, const char* format, va_list arguments);

KOLMBASE_API int threshold();
KOLMBASE_API void set_threshold(int level);

// Where printed text goes; null restores standard error. For hosts that
// collect diagnostics and for tests.
typedef void (*print_sink)(int level, const char* text, void* context);
KOLMBASE_API void set_sink(print_sink sink, void* context);

// Fatal assertion: when condition is true, writes
// "assertion failed: <expression> (<file>:<line>)" to standard error and
// aborts the process.
KOLMBASE_API void abort_if(bool condition, const char* expression, const char* file, int line);

}  // namespace ds_og
}  // namespace kolmbase
