#include "datahandler/alias_resolve.h"

#include <cstring>
#include <string>

#include "datahandler/CMDataRef.h"
#include "datahandler/cf_text.h"
#include "lib/kolmbase/ds_og.h"
#include "quicktime/routines.h"

namespace datahandler {

CFURLRef url_from_data_ref(storage* s) {
    CMDataRef* ref = stored_data_ref(s);
    if (ref == nullptr) return nullptr;
    const CFAllocatorRef allocator = cf_default_allocator();
    CFStringRef text =
        CFStringCreateWithCString(allocator, ref->get_url().c_str(), kCFStringEncodingUTF8);
    if (text == nullptr) return nullptr;
    CFURLRef url = CFURLCreateWithString(allocator, text, nullptr);
    CFRelease(text);
    return url;
}

OSErr ResolveAlias(storage*, Handle, CFURLRef) {
    // The alias's volume name (a UTF-16 name of up to 255 units) has no source
    // here: without it no target path can be placed on a volume.
    kolmbase::ds_og::print(1, "<datah> ResolveAlias: no volume info available for alias\n");
    kolmbase::ds_og::print(1, "<datah> ResolveAlias failed, %d\n", int(couldNotResolveDataRef));
    return couldNotResolveDataRef;
}

char* resolve_reference(storage* s, Handle alias, int32_t) {
    CFURLRef base = url_from_data_ref(s);
    const OSErr err = ResolveAlias(s, alias, base);
    if (base != nullptr) CFRelease(base);
    if (err != noErr || alias == nullptr || *alias == nullptr) return nullptr;
    const Size size = GetHandleSize(alias);
    const size_t length = strnlen(*alias, size_t(size));
    char* path = new char[length + 1];
    std::memcpy(path, *alias, length);
    path[length] = '\0';
    return path;
}

}  // namespace datahandler
