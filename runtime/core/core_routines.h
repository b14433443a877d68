// The routines of the runtime's core area, with their public signatures.
#pragma once

#include "quicktime/mac_types.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

constexpr OSErr gestaltUndefSelectorErr = -5551;

// Gestalt: 'qtim' answers the runtime's version; other selectors are unknown.
OSErr Gestalt(OSType selector, long* response);

// True: the module keeps itself loaded after the loader frees its handle.
Boolean CanReleaseLibraryHandle();

// Fix2X in the forwarded form: the result slot, then the parameter's address.
void Fix2X_forwarded(double* result, const Fixed* x);

}  // namespace qtrt
