// GetLastError and SetLastError: the calling thread's last error code.
#include "windows.h"

namespace {
thread_local DWORD t_last_error = ERROR_SUCCESS;
}

extern "C" DWORD GetLastError(void) { return t_last_error; }

extern "C" void SetLastError(DWORD error) { t_last_error = error; }
