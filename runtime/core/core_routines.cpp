// The runtime's own services: Gestalt, the release test of the loader, and
// fixed-point conversion.
#include "core/core_routines.h"

#include "core/runtime_build.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qtrt {

OSErr Gestalt(OSType selector, long* response) {
    if (!response) return paramErr;
    if (selector != gestaltQuickTimeVersion) return gestaltUndefSelectorErr;
    *response = long(k_build_version.gestalt_qtim);
    return noErr;
}

Boolean CanReleaseLibraryHandle() {
#ifdef _WIN32
    // Pinned, the module stays loaded when the loader frees its handle, so
    // the entries the loader bound stay valid.
    HMODULE self = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCSTR>(&CanReleaseLibraryHandle), &self)
               ? 1
               : 0;
#else
    // The module is linked to stay loaded once loaded (-z nodelete).
    return 1;
#endif
}

void Fix2X_forwarded(double* result, const Fixed* x) { *result = double(*x) / 65536.0; }

namespace {
const routine k_rows[] = {
    {0x100010, reinterpret_cast<const void*>(&Fix2X_forwarded)},
    {0x110001, reinterpret_cast<const void*>(&Gestalt)},
    {0x1D0059, reinterpret_cast<const void*>(&CanReleaseLibraryHandle)},
};
}  // namespace

extern const routine_table k_core_routines;
const routine_table k_core_routines = make_table(k_rows);

}  // namespace qtrt
