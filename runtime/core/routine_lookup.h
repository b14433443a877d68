// The dispatcher's lookup: the routine for a selector over every area table.
#pragma once

#include <cstdint>

#include "core/runtime_build.h"

namespace qtrt {

// The entry for selector in the tables of areas (an earlier table wins); null
// when no table has it.
const void* lookup_routine(const area_list& areas, uint32_t selector);

}  // namespace qtrt

extern "C" {

// The entry the dispatcher jumps to for selector: the routine of the build's
// areas, else qtrt_unknown_selector. Never null.
const void* qtrt_find_routine(uint32_t selector);

// Answers an unknown selector: paramErr (-50) in EAX, and in EDX:EAX as a
// 64-bit value.
int64_t qtrt_unknown_selector();

}
