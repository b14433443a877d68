// File-system paths in POSIX, Windows and HFS styles and the URL text of the
// same location.
//
// Windows: "C:\dir\f" is file:///C:/dir/f; "\\server\share\f" (UNC) is
// file://server/share/f; "\dir\f" is file:///dir/f; '/' separates too.
// HFS: "Vol:dir:f" is file:///Volumes/Vol/dir/f (an absolute path starts with
// its volume name); ":dir:f" is the relative dir/f and "::f" is ../f.
#pragma once

#include <string>

#include "quicktime/core_foundation.h"

namespace qtrt {

// The URL text of a path: an absolute URL for an absolute path, otherwise a
// relative reference (is_absolute false). Characters that a URL cannot carry
// are escaped as UTF-8. False for an empty path or an unknown style.
bool url_text_from_path(const std::string& path, CFURLPathStyle style, bool is_directory,
                        std::string& url_text, bool& is_absolute);

// The path of a URL in the given style, percent escapes removed, without a
// trailing separator (except for a root). False for an unknown style or
// escapes that are not UTF-8.
bool path_from_url_text(const std::string& url_text, CFURLPathStyle style,
                        std::string& path);

// The current working directory as the text of a directory file URL.
std::string current_directory_url();

}  // namespace qtrt
