// Percent escapes in URL text (RFC 2396): which characters a URL may hold
// as they are, and the conversions in both directions.
#pragma once

#include <string>

#include "quicktime/core_foundation.h"

namespace qtrt {

// A character a URL may carry unescaped: printable ASCII except space and
// " % < > [ \ ] ^ ` { | }.
bool is_legal_url_char(char32_t c);

// Replaces every escape sequence by its character; escapes of the characters
// in `leave_escaped` stay. The escaped bytes are UTF-8. False for a '%' that
// is not followed by two hex digits or bytes that are not UTF-8.
bool remove_percent_escapes(const std::u16string& in, const std::u16string& leave_escaped,
                            std::u16string& out);

// Escapes every character that is not legal in a URL, except those in
// `leave_unescaped`, and the legal ones listed in `escape_too`, as the bytes
// of the encoding. False when a character has no bytes in the encoding.
bool add_percent_escapes(const std::u16string& in, const std::u16string& leave_unescaped,
                         const std::u16string& escape_too, CFStringEncoding encoding,
                         std::u16string& out);

}  // namespace qtrt
