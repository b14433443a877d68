// CoreFoundation URLs: made from URL strings or file-system paths, turned back
// into file-system paths, and the percent-escape conversions of URL strings.
#pragma once

#include <string>

#include "quicktime/core_foundation.h"

namespace qtrt {

// Internal helpers for the other areas of the runtime.
// The URL's absolute text (resolved against its base); false when url is not
// a live URL.
bool cf_url_string(CFURLRef url, std::string& text);
// The file-system path of a file URL in the platform's own style (Windows
// paths with drive letters or UNC on Windows, POSIX paths elsewhere), percent
// escapes removed; false when url is not a live URL or has no usable path.
bool cf_url_file_path(CFURLRef url, std::string& path);

// Public routines.
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString,
                               CFURLRef baseURL);
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle);
CFStringRef CFURLCreateStringByReplacingPercentEscapes(
    CFAllocatorRef allocator, CFStringRef originalString,
    CFStringRef charactersToLeaveEscaped);
CFStringRef CFURLCreateStringByAddingPercentEscapes(
    CFAllocatorRef allocator, CFStringRef originalString,
    CFStringRef charactersToLeaveUnescaped, CFStringRef legalURLCharactersToBeEscaped,
    CFStringEncoding encoding);

}  // namespace qtrt
