// The per-thread Memory Manager result.
#include "memory/mem_error.h"

#include "memory/memory_manager.h"

namespace qtrt {

namespace {
thread_local OSErr t_mem_error = noErr;
}

OSErr set_mem_error(OSErr err) {
    t_mem_error = err;
    return err;
}

OSErr MemError() {
    return t_mem_error;
}

}  // namespace qtrt
