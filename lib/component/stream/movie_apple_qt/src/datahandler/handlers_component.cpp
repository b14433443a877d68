// The component calls of the data handler: Open, Close, CanDo and Version.
#include <cstdint>

#include "datahandler/data_handler_entry.h"
#include "datahandler/data_handler_routines.h"
#include "lib/kolmbase/ds_og.h"
#include "quicktime/routines.h"

namespace datahandler {

namespace {
constexpr ComponentResult kVersion = 0x10000;
}

ComponentResult Open(storage*, ComponentInstance self) {
    auto* s = reinterpret_cast<storage*>(NewPtrClear(sizeof(storage)));
    const OSErr err = MemError();
    if (err < 0) return err;
    if (s == nullptr) return memFullErr;
    s->self = self;
    s->resolve_method = kResolveThroughVolume;
    kolmbase::ds_og::print(6, "<datah> Open[%08x]\n", unsigned(reinterpret_cast<uintptr_t>(s)));
    kolmbase::ds_og::print(6, "<datah>   dataReferenceResolveMethod: %d\n", s->resolve_method);
    SetComponentInstanceStorage(self, reinterpret_cast<Handle>(s));
    return noErr;
}

ComponentResult Close(storage* s, ComponentInstance) {
    if (s == nullptr) return noErr;
    kolmbase::ds_og::print(6, "<datah> Close[%08x]\n", unsigned(reinterpret_cast<uintptr_t>(s)));
    if (s->data_ref != nullptr) {
        DisposeHandle(s->data_ref);
        s->data_ref = nullptr;
    }
    DisposePtr(reinterpret_cast<Ptr>(s));
    return noErr;
}

ComponentResult CanDo(storage*, int16_t selector) {
    const dispatch_entry* entry = find_dispatch_entry(selector);
    return entry != nullptr && entry->routine != 0 && entry->routine != kNotImplemented ? 1 : 0;
}

ComponentResult Version(storage*) {
    kolmbase::ds_og::print(6, "<datah> Version\n");
    return kVersion;
}

}  // namespace datahandler
