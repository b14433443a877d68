// The dispatch table of the data handler and its entry routine.
#include "datahandler/data_handler_entry.h"

#include <array>
#include <cstddef>

#include "datahandler/data_handler_routines.h"
#include "quicktime/routines.h"

namespace datahandler {
namespace {

// selector, routine, layout word: the calls this handler implements. Every
// other entry of the three ranges is not implemented.
#define DATA_HANDLER_CALLS(X)               \
    X(-1, Open, 0x3F0)                      \
    X(-2, Close, 0x3F0)                     \
    X(-3, CanDo, 0x2F0)                     \
    X(-4, Version, 0xF0)                    \
    X(0x08, OpenForRead, 0xF0)              \
    X(0x09, CloseForRead, 0xF0)             \
    X(0x0A, SetDataRef, 0x3F0)              \
    X(0x0B, GetDataRef, 0x3F0)              \
    X(0x0C, CompareDataRef, 0xFF0)          \
    X(0x0E, ScheduleData, 0xFFFF0)          \
    X(0x13, CanUseDataRef, 0xFF0)           \
    X(0x25, GetFileName, 0x3F0)             \
    X(0x2D, GetInfoFlags, 0x3F0)            \
    X(0x2E, ScheduleData64, 0xFFFF0)        \
    X(0x30, GetFileSize64, 0x3F0)           \
    X(0x3E, GetMovieWithFlags, 0x2FF0)

#define CHECK_LAYOUT(selector, routine, layout)                    \
    static_assert(layout_word(&routine) == layout,                 \
                  #routine ": layout word differs from its signature");
DATA_HANDLER_CALLS(CHECK_LAYOUT)
#undef CHECK_LAYOUT

constexpr int kNegativeFirst = -6;
constexpr int kNegativeCount = 6;
constexpr int kPage0Count = 0x50;
constexpr int kPage1Count = 0x12;

struct dispatch_ranges {
    std::array<dispatch_entry, kNegativeCount> negative;
    std::array<dispatch_entry, kPage0Count> page0;
    std::array<dispatch_entry, kPage1Count> page1;
};

// The slot of a selector in the ranges; null outside them.
dispatch_entry* slot(dispatch_ranges& ranges, int selector) {
    if (selector < 0) {
        const int index = selector - kNegativeFirst;
        return index >= 0 && index < kNegativeCount ? &ranges.negative[size_t(index)] : nullptr;
    }
    const int page = selector >> 8;
    const int index = selector & 0xFF;
    if (page == 0) return index < kPage0Count ? &ranges.page0[size_t(index)] : nullptr;
    if (page == 1) return index < kPage1Count ? &ranges.page1[size_t(index)] : nullptr;
    return nullptr;
}

dispatch_ranges build_ranges() {
    dispatch_ranges ranges;
    const dispatch_entry none{kNotImplemented, 0};
    ranges.negative.fill(none);
    ranges.page0.fill(none);
    ranges.page1.fill(none);
#define FILL_ENTRY(selector, routine, layout) \
    *slot(ranges, selector) = dispatch_entry{reinterpret_cast<uintptr_t>(&routine), layout};
    DATA_HANDLER_CALLS(FILL_ENTRY)
#undef FILL_ENTRY
    return ranges;
}

}  // namespace

const dispatch_entry* find_dispatch_entry(int16_t selector) {
    static dispatch_ranges ranges = build_ranges();
    return slot(ranges, selector);
}

}  // namespace datahandler

ComponentResult data_handler_entry(ComponentParameters* params, Handle storage) {
    using namespace datahandler;
    if (params == nullptr) return badComponentSelector;
    const dispatch_entry* entry = find_dispatch_entry(params->what);
    if (entry == nullptr || entry->routine == 0 || entry->routine == kNotImplemented) {
        return badComponentSelector;
    }
    if (entry->routine == kNothingToDo) return noErr;
    if (entry->layout == 0) return badComponentSelector;
    return CallComponentFunctionWithStorage(storage, params,
                                            reinterpret_cast<ComponentFunctionUPP>(entry->routine));
}
