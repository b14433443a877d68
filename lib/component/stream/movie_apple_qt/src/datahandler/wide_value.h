// QuickTime's 64-bit wide values (a signed high word and an unsigned low word)
// to and from 64-bit integers.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

namespace datahandler {

inline wide to_wide(uint64_t value) {
    return wide{uint32_t(value), int32_t(uint32_t(value >> 32))};
}

inline uint64_t from_wide(const wide& w) { return uint64_t(uint32_t(w.hi)) << 32 | w.lo; }

}  // namespace datahandler
