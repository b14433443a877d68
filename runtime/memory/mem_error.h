// The calling thread's Memory Manager result, set by every Memory Manager call.
#pragma once

#include "quicktime/mac_types.h"

namespace qtrt {

// Sets the calling thread's result and answers it.
OSErr set_mem_error(OSErr err);

}  // namespace qtrt
