// Creating strings and reading their text.
#include "cf/cf_string.h"

#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "cf/cf_string_object.h"
#include "cf/text_encoding.h"

namespace qtrt {

cf_string::cf_string(std::u16string text, bool is_mutable)
    : cf_object(cf_kind::string), m_text(std::move(text)), m_mutable(is_mutable) {
    if (!m_mutable) {
        m_utf8 = to_utf8(m_text);
        for (char16_t u : m_text) {
            m_ascii = m_ascii && u < 0x80;
        }
    }
}

cf_string* cf_string::create(std::u16string text, bool is_mutable) {
    try {
        return new cf_string(std::move(text), is_mutable);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

cf_string* as_string(CFTypeRef ref) {
    return static_cast<cf_string*>(cf_lookup(ref, cf_kind::string));
}

CFStringRef make_cf_string(const std::string& utf8) {
    std::u16string text;
    if (!from_utf8(utf8, text)) {
        return nullptr;
    }
    cf_string* s = cf_string::create(std::move(text), false);
    return s != nullptr ? s->ref() : nullptr;
}

bool cf_string_utf8(CFStringRef s, std::string& utf8) {
    cf_string* str = as_string(s);
    if (str == nullptr) {
        return false;
    }
    utf8 = to_utf8(str->text());
    return true;
}

bool cf_string_utf16(CFStringRef s, std::u16string& text) {
    cf_string* str = as_string(s);
    if (str == nullptr) {
        return false;
    }
    text = str->text();
    return true;
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
    if (cStr == nullptr) {
        return nullptr;
    }
    static std::mutex* mutex = new std::mutex;
    static auto* constants = new std::map<std::string, cf_string*>;
    std::lock_guard<std::mutex> lock(*mutex);
    auto found = constants->find(cStr);
    if (found != constants->end()) {
        return found->second->ref();
    }
    std::u16string text;
    if (!from_utf8(cStr, text)) {
        decode_text(reinterpret_cast<const uint8_t*>(cStr), std::strlen(cStr),
                    kCFStringEncodingMacRoman, false, text);
    }
    cf_string* s = cf_string::create(std::move(text), false);
    if (s == nullptr) {
        return nullptr;
    }
    s->make_constant();
    try {
        constants->emplace(cStr, s);
    } catch (const std::bad_alloc&) {
        // Still a valid constant, just not shared with later callers.
    }
    return s->ref();
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr,
                                      CFStringEncoding encoding) {
    if (cStr == nullptr) {
        return nullptr;
    }
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(cStr),
                                   CFIndex(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding,
                                    Boolean isExternalRepresentation) {
    if (numBytes < 0) {
        return nullptr;
    }
    std::u16string text;
    if (!decode_text(bytes, size_t(numBytes), encoding, isExternalRepresentation != 0,
                     text)) {
        return nullptr;
    }
    cf_string* s = cf_string::create(std::move(text), false);
    return s != nullptr ? s->ref() : nullptr;
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
    if (maxLength < 0) {
        return nullptr;
    }
    cf_string* s = cf_string::create(std::u16string(), true);
    return s != nullptr ? const_cast<CFMutableStringRef>(s->ref()) : nullptr;
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
    cf_string* target = as_string(theString);
    cf_string* tail = as_string(appendedString);
    if (target == nullptr || tail == nullptr || !target->is_mutable()) {
        return;
    }
    try {
        target->set_text(target->text() + tail->text());
    } catch (const std::bad_alloc&) {
        // The string keeps its text.
    }
}

CFIndex CFStringGetLength(CFStringRef theString) {
    cf_string* s = as_string(theString);
    return s != nullptr ? CFIndex(s->text().size()) : 0;
}

namespace {

// Encodes the whole text; false when a character cannot be represented.
bool encode_all(const std::u16string& text, CFStringEncoding encoding,
                std::string& out) {
    for (size_t i = 0; i < text.size();) {
        size_t units;
        if (!encode_char(code_point_at(text, i, units), encoding, out)) {
            return false;
        }
        i += units;
    }
    return true;
}

}  // namespace

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer,
                                CFIndex bufferSize, CFStringEncoding encoding) {
    if (buffer == nullptr || bufferSize < 1) {
        return false;
    }
    buffer[0] = 0;
    cf_string* s = as_string(theString);
    std::string bytes;
    if (s == nullptr || !encode_all(s->text(), encoding, bytes)) {
        return false;
    }
    // The length byte limits a Pascal string to 255 bytes.
    if (bytes.size() > 255 || CFIndex(bytes.size()) > bufferSize - 1) {
        return false;
    }
    std::memcpy(buffer + 1, bytes.data(), bytes.size());
    buffer[0] = uint8_t(bytes.size());
    return true;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    if (buffer == nullptr || bufferSize < 1) {
        return false;
    }
    buffer[0] = 0;
    cf_string* s = as_string(theString);
    std::string bytes;
    if (s == nullptr || !encode_all(s->text(), encoding, bytes)) {
        return false;
    }
    if (CFIndex(bytes.size()) > bufferSize - 1) {
        return false;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = 0;
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
    cf_string* s = as_string(theString);
    if (s == nullptr || s->is_mutable()) {
        return nullptr;
    }
    if (encoding == kCFStringEncodingUTF8) {
        return s->utf8().c_str();
    }
    bool ascii_compatible = encoding == kCFStringEncodingASCII ||
                            encoding == kCFStringEncodingMacRoman ||
                            encoding == kCFStringEncodingWindowsLatin1 ||
                            encoding == kCFStringEncodingISOLatin1;
    return ascii_compatible && s->ascii() ? s->utf8().c_str() : nullptr;
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range) {
    cf_string* s = as_string(str);
    if (s == nullptr || range.location < 0 || range.length < 0 ||
        range.location > CFIndex(s->text().size()) - range.length) {
        return nullptr;
    }
    cf_string* sub = cf_string::create(
        s->text().substr(size_t(range.location), size_t(range.length)), false);
    return sub != nullptr ? sub->ref() : nullptr;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen) {
    if (usedBufLen != nullptr) {
        *usedBufLen = 0;
    }
    cf_string* s = as_string(theString);
    if (s == nullptr || range.location < 0 || range.length < 0 ||
        range.location > CFIndex(s->text().size()) - range.length) {
        return 0;
    }
    const std::u16string& text = s->text();
    std::string out = isExternalRepresentation ? byte_order_mark(encoding) : std::string();
    if (buffer != nullptr && CFIndex(out.size()) > maxBufLen) {
        return 0;
    }
    size_t end = size_t(range.location + range.length);
    size_t i = size_t(range.location);
    while (i < end) {
        size_t units;
        char32_t cp = code_point_at(text, i, units);
        if (i + units > end) {
            units = 1;
            cp = text[i];
        }
        std::string bytes;
        if (!encode_char(cp, encoding, bytes)) {
            if (lossByte == 0) {
                break;
            }
            bytes.assign(1, char(lossByte));
        }
        if (buffer != nullptr && CFIndex(out.size() + bytes.size()) > maxBufLen) {
            break;
        }
        out += bytes;
        i += units;
    }
    if (buffer != nullptr) {
        std::memcpy(buffer, out.data(), out.size());
    }
    if (usedBufLen != nullptr) {
        *usedBufLen = CFIndex(out.size());
    }
    return CFIndex(i - size_t(range.location));
}

void CFStringCreateWithSubstring_fwd(CFStringRef* result, const CFAllocatorRef* alloc,
                                     const CFStringRef* str, const CFRange* range) {
    if (result == nullptr) {
        return;
    }
    *result = nullptr;
    if (alloc == nullptr || str == nullptr || range == nullptr) {
        return;
    }
    *result = CFStringCreateWithSubstring(*alloc, *str, *range);
}

void CFStringGetBytes_fwd(CFIndex* result, const CFStringRef* theString,
                          const CFRange* range, const CFStringEncoding* encoding,
                          const UInt8* lossByte, const Boolean* isExternalRepresentation,
                          UInt8* const* buffer, const CFIndex* maxBufLen,
                          CFIndex* const* usedBufLen) {
    if (result == nullptr) {
        return;
    }
    *result = 0;
    if (theString == nullptr || range == nullptr || encoding == nullptr ||
        lossByte == nullptr || isExternalRepresentation == nullptr || buffer == nullptr ||
        maxBufLen == nullptr || usedBufLen == nullptr) {
        return;
    }
    *result = CFStringGetBytes(*theString, *range, *encoding, *lossByte,
                               *isExternalRepresentation, *buffer, *maxBufLen,
                               *usedBufLen);
}

}  // namespace qtrt
