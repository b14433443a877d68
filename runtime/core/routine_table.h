// The runtime's routines by selector. Each area of the runtime (memory,
// CoreFoundation, components, movies, audio extraction, ...) keeps one table
// of its routines; the dispatcher looks a selector up in all of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qtrt {

struct routine {
    uint32_t selector;
    const void* entry;  // a C++ function with the public QuickTime signature
};

struct routine_table {
    const routine* rows;
    size_t count;
};

template <size_t N>
constexpr routine_table make_table(const routine (&rows)[N]) {
    return routine_table{rows, N};
}

}  // namespace qtrt
