// The data references alive in this process. Every CMDataRef adds itself when
// it is made and takes itself out when it is destroyed, so that an address
// read from a handle data reference is used only when it names one of them:
// the handle's bytes may come from a movie file.
#pragma once

#include <cstdint>

class CMDataRef;

namespace datahandler {

void add_live_data_ref(CMDataRef* ref);
void remove_live_data_ref(CMDataRef* ref);

// The live data reference at address; null when no live one is there.
CMDataRef* live_data_ref_at(uintptr_t address);

}  // namespace datahandler
