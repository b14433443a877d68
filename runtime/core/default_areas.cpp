// The areas a runtime build searches when it states none: all of them.
#include "core/all_areas.h"
#include "core/runtime_build.h"

namespace qtrt {

namespace {
const routine_table* const k_tables[] = {QTRT_ALL_AREAS};
}

const area_list k_runtime_areas = {k_tables, sizeof(k_tables) / sizeof(k_tables[0])};

}  // namespace qtrt
