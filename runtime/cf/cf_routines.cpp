// The routines of this area of the runtime, by selector.
#include "core/routine_table.h"

namespace qtrt {

extern const routine_table k_cf_routines;
const routine_table k_cf_routines = {nullptr, 0};

}  // namespace qtrt
