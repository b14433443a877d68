// The entry routine of the data handler component ('dhlr', 'zvh ') and the
// dispatch table behind it.
//
// The selector space has three ranges, each an array of entries of two words
// (the routine's address, QuickTime's parameter-layout word):
//   the component calls -6 ... -1 (index selector + 6),
//   page 0, 0x00 ... 0x4F, and page 1, 0x100 ... 0x111.
// A routine word of all ones marks a call that is not implemented.
#pragma once

#include <cstdint>

#include "quicktime/components.h"

namespace datahandler {

struct dispatch_entry {
    uintptr_t routine;
    uint32_t layout;
};

constexpr uintptr_t kNotImplemented = uintptr_t(0xFFFFFFFFu);
// Accepted with nothing to do: answered 0 without a call.
constexpr uintptr_t kNothingToDo = uintptr_t(0xFFFFFFFEu);

// The entry for a selector; null when the selector is outside the ranges.
const dispatch_entry* find_dispatch_entry(int16_t selector);

// QuickTime's parameter-layout word of a routine: the result's size code in
// bits 4-5, then two bits per parameter from bit 6 (code 3: four bytes, 2:
// two bytes, 1: one byte).
template <typename Result, typename... Params>
constexpr uint32_t layout_word(Result (*)(Params...)) {
    auto code = [](unsigned size) -> uint32_t { return size == 4 ? 3 : size == 2 ? 2 : 1; };
    uint32_t word = code(sizeof(Result)) << 4;
    unsigned shift = 6;
    ((word |= code(sizeof(Params)) << shift, shift += 2), ...);
    return word;
}

}  // namespace datahandler

// Registered with the Component Manager: dispatches a call to its routine.
ComponentResult data_handler_entry(ComponentParameters* params, Handle storage);
