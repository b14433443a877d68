// Text helpers: formatting, four-character codes, URL pieces, key/value lists.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <map>
#include <string>

#include "lib/host_export.h"

namespace kolmbase {

// printf-style formatting into a string of any length.
KOLMBASE_API std::string string_with_format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
KOLMBASE_API std::string string_with_vformat(const char* format, va_list arguments);

// The four characters of a code whose first character is the most significant
// byte; a byte that is not printable ASCII is written as '.'.
KOLMBASE_API std::string string_with_fourcc(uint32_t code);

// The scheme of a URL ("file", "smb", ...) without the colon, or "" when the
// text has none. A scheme is a letter followed by letters, digits, '+', '-' or
// '.', then ':'; a single letter before ':' is a Windows drive ("C:\x"), not a
// scheme.
KOLMBASE_API std::string url_scheme(const std::string& url);

// The path part of a URL: after "scheme://authority" (or "scheme:" when no
// authority follows), up to '?' or '#'. Plain paths are returned whole. With
// unescape true, %XX escapes are decoded.
KOLMBASE_API std::string url_path(const std::string& url, bool unescape);

// The URL with its path part replaced by path. Scheme, authority, query and
// fragment stay. A path that does not start with '/' gets one when the URL has
// an authority. With escape true, characters outside the unreserved set and
// '/' in path are percent-escaped. A plain path (no scheme) is replaced whole,
// never escaped. An empty path is set as is: "smb://nas/a" becomes "smb://nas".
KOLMBASE_API std::string url_set_path(const std::string& url, const std::string& path,
                                      bool escape);

// The last component of path for the separator sep; '/' always counts as a
// separator too. A path ending in a separator gives "".
KOLMBASE_API std::string path_file(const std::string& path, char sep);

namespace strutil {

// Splits "k1=v1;k2=v2" into a map, with the given pair and key/value
// separators. Pairs without a key/value separator get an empty value; empty
// pairs are skipped; keys and values are taken as written (no trimming). A
// repeated key keeps its last value.
KOLMBASE_API std::map<std::string, std::string> kvmap_with_kvstr(const std::string& text,
                                                                 char pair_separator,
                                                                 char kv_separator);

// text with every occurrence of from replaced by to (from empty: unchanged).
KOLMBASE_API std::string replace(const std::string& text, const std::string& from,
                                 const std::string& to);

}  // namespace strutil

}  // namespace kolmbase
