// CoreFoundation helpers of the data handler: the default allocator as the
// runtime publishes it, and text to a Pascal string through a CFString.
#pragma once

#include <string>

#include "quicktime/core_foundation.h"

namespace datahandler {

// The runtime's kCFAllocatorDefault; null (which CoreFoundation also takes as
// the default) while no runtime is bound.
CFAllocatorRef cf_default_allocator();

// Clears the 256 bytes of pascal and fills them from text (UTF-8) with
// CFStringGetPascalString. A text the conversion refuses leaves the buffer
// cleared (an empty name).
void pascal_string_from_utf8(const std::string& text, unsigned char (&pascal)[256]);

}  // namespace datahandler
