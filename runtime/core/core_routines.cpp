// The runtime's own services: Gestalt, the release test of the loader, and
// fixed-point conversion.
#include "core/core_routines.h"

#include "core/runtime_build.h"

namespace qtrt {

OSErr Gestalt(OSType selector, long* response) {
    if (!response) return paramErr;
    if (selector != kGestaltQuickTimeVersion) return gestaltUndefSelectorErr;
    *response = long(k_build_version.gestalt_qtim);
    return noErr;
}

Boolean CanReleaseLibraryHandle() {
    // The module is linked to stay loaded once loaded, so the loader may let
    // its handle go.
    return 1;
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
