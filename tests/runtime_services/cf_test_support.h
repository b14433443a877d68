// Owning wrapper for CoreFoundation references in tests.
#pragma once

#include <string>

#include "cf/cf_object.h"
#include "cf/cf_string.h"

struct cf_ref {
    explicit cf_ref(CFTypeRef r = nullptr) : ref(r) {}
    ~cf_ref() { qtrt::CFRelease(ref); }
    cf_ref(const cf_ref&) = delete;
    cf_ref& operator=(const cf_ref&) = delete;
    CFStringRef str() const { return static_cast<CFStringRef>(ref); }
    CFURLRef url() const { return static_cast<CFURLRef>(ref); }
    CFMutableStringRef mut() const {
        return const_cast<CFMutableStringRef>(static_cast<CFStringRef>(ref));
    }
    CFTypeRef ref;
};

inline CFStringRef utf8_string(const std::string& text) {
    return qtrt::CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

// The text of a string as UTF-8, or "<null>".
inline std::string text_of(CFTypeRef s) {
    std::string out;
    return qtrt::cf_string_utf8(static_cast<CFStringRef>(s), out) ? out : "<null>";
}
