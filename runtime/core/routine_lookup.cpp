#include "core/routine_lookup.h"

#include <algorithm>
#include <vector>

#include "quicktime/mac_types.h"

namespace qtrt {

namespace {

// Every row of the areas, sorted by selector; of rows with the same selector
// only the first in search order is kept.
std::vector<routine> sorted_rows(const area_list& areas) {
    std::vector<routine> rows;
    for (size_t t = 0; t < areas.count; ++t) {
        const routine_table* table = areas.tables[t];
        if (!table || !table->rows) continue;
        rows.insert(rows.end(), table->rows, table->rows + table->count);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const routine& a, const routine& b) {
        return a.selector < b.selector;
    });
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const routine& a, const routine& b) {
                               return a.selector == b.selector;
                           }),
               rows.end());
    return rows;
}

const void* find_in(const std::vector<routine>& rows, uint32_t selector) {
    auto it = std::lower_bound(rows.begin(), rows.end(), selector,
                               [](const routine& row, uint32_t s) { return row.selector < s; });
    return it != rows.end() && it->selector == selector ? it->entry : nullptr;
}

}  // namespace

const void* lookup_routine(const area_list& areas, uint32_t selector) {
    return find_in(sorted_rows(areas), selector);
}

}  // namespace qtrt

extern "C" const void* qtrt_find_routine(uint32_t selector) {
    static const std::vector<qtrt::routine> rows = qtrt::sorted_rows(qtrt::k_runtime_areas);
    const void* entry = qtrt::find_in(rows, selector);
    return entry ? entry : reinterpret_cast<const void*>(&qtrt_unknown_selector);
}

extern "C" int64_t qtrt_unknown_selector() { return paramErr; }
