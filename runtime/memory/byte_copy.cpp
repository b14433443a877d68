// The byte copy and the 64-bit byte-order conversion.
#include <cstring>

#include "memory/mem_error.h"
#include "memory/memory_manager.h"

namespace qtrt {

void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount) {
    if (byteCount <= 0 || srcPtr == nullptr || destPtr == nullptr) {
        return;
    }
    std::memmove(destPtr, srcPtr, size_t(byteCount));
}

uint64_t EndianU64_BtoN(uint64_t value) {
    // Read the value's bytes in memory order as a big-endian number, which
    // is correct on hosts of either byte order.
    uint8_t bytes[8];
    std::memcpy(bytes, &value, sizeof bytes);
    uint64_t result = 0;
    for (uint8_t b : bytes) {
        result = result << 8 | b;
    }
    return result;
}

}  // namespace qtrt
