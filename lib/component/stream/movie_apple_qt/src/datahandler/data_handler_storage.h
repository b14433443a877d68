// The storage of one open instance of the data handler: allocated zero-filled
// by Open, freed by Close.
#pragma once

#include <cstdint>

#include "quicktime/components.h"

class CMDataRef;

namespace datahandler {

// How alias data references are resolved: through the alias's volume
// information. The only method; Open sets it.
constexpr int32_t kResolveThroughVolume = 2;

struct storage {
    ComponentInstance self;  // the instance, for calls back into it
    int32_t resolve_method;
    Handle data_ref;  // the instance's own copy of the reference it serves
};
static_assert(sizeof(storage) == 12, "the storage is three 32-bit words");

// The CMDataRef behind the stored handle; null without storage or handle, or
// when the handle does not parse (after data_ref_from_handle's line).
CMDataRef* stored_data_ref(const storage* s);

// Level-6 lines describing the stored data reference (parsed anew): its
// address, URL and size, or that there is none.
void log_data_ref_info(const storage* s);

}  // namespace datahandler
