// Conversion between the text encodings CoreFoundation names and UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "quicktime/core_foundation.h"

namespace qtrt {

enum : CFStringEncoding {
    kCFStringEncodingISOLatin1 = 0x0201,
    kCFStringEncodingUnicode = 0x0100,  // UTF-16, native byte order
    kCFStringEncodingUTF16BE = 0x10000100,
    kCFStringEncodingUTF16LE = 0x14000100,
};

// Decodes bytes into UTF-16. With an external representation, a byte-order
// mark is honoured and dropped. False for an unknown encoding or bytes that
// are not valid in it.
bool decode_text(const uint8_t* bytes, size_t count, CFStringEncoding encoding,
                 bool external, std::u16string& out);

// Appends the bytes of one character (a code point) in the encoding; false
// when the encoding cannot represent it.
bool encode_char(char32_t cp, CFStringEncoding encoding, std::string& out);

// The byte-order mark an external representation starts with (empty for
// 8-bit encodings).
std::string byte_order_mark(CFStringEncoding encoding);

// The code point at `index` and the number of UTF-16 units it takes (2 for a
// surrogate pair). A lone surrogate is returned as itself.
char32_t code_point_at(const std::u16string& text, size_t index, size_t& units);

// UTF-16 to UTF-8; lone surrogates become U+FFFD.
std::string to_utf8(const std::u16string& text);
// UTF-8 to UTF-16; false for bytes that are not UTF-8.
bool from_utf8(const std::string& text, std::u16string& out);

}  // namespace qtrt
