// The position an lseek of the host's streams moves to; private to the cm
// module.
#pragma once

#include <cstdint>

namespace Ruv {
namespace CM {
namespace streams {

// The position offset bytes from origin (0 the start, 1 position, 2 the end
// at size); -1 for an unknown origin or a position before the start or past
// the 64-bit range.
inline int64_t seek_target(int64_t position, int64_t size, int64_t offset, unsigned char origin) {
    int64_t base = 0;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = position; break;
    case 2: base = size; break;
    default: return -1;
    }
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) return -1;
    return base + offset;
}

}  // namespace streams
}  // namespace CM
}  // namespace Ruv
