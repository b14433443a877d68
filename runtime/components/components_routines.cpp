// The routines of this area of the runtime, by selector.
#include "components/component_manager.h"
#include "core/routine_table.h"

namespace qtrt {

namespace {

const routine k_rows[] = {
    {0x10000, reinterpret_cast<const void*>(&CallComponent)},
    {0x10001, reinterpret_cast<const void*>(&RegisterComponent)},
    {0x10003, reinterpret_cast<const void*>(&CountComponents)},
    {0x10004, reinterpret_cast<const void*>(&FindNextComponent)},
    {0x1000D, reinterpret_cast<const void*>(&SetComponentInstanceStorage)},
};

}  // namespace

extern const routine_table k_components_routines;
const routine_table k_components_routines = make_table(k_rows);

}  // namespace qtrt
