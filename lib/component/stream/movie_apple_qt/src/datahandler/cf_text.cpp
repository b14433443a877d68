#include "datahandler/cf_text.h"

#include <cstring>

#include "quicktime/qt_loader.h"
#include "quicktime/routines.h"

namespace datahandler {

CFAllocatorRef cf_default_allocator() {
    void* slot = QTGetCFConstant("kCFAllocatorDefault");
    // Without a runtime the answer is an error code, not an address.
    if (qtb_dispatcher_entry == UnboundEntry || slot == nullptr) return nullptr;
    return *static_cast<CFAllocatorRef*>(slot);
}

void pascal_string_from_utf8(const std::string& text, unsigned char (&pascal)[256]) {
    CFStringRef string =
        CFStringCreateWithBytes(cf_default_allocator(), reinterpret_cast<const UInt8*>(text.data()),
                                CFIndex(text.size()), kCFStringEncodingUTF8, false);
    std::memset(pascal, 0, sizeof pascal);
    if (string == nullptr) return;
    CFStringGetPascalString(string, pascal, sizeof pascal, kCFStringEncodingUTF8);
    CFRelease(string);
}

}  // namespace datahandler
