// URL pieces: scheme, path, path replacement, last path component.
#include <cctype>

#include "lib/kolmbase/strings.h"

namespace kolmbase {
namespace {

struct url_parts {
    size_t path_begin = 0;  // first character of the path
    size_t path_end = 0;    // '?', '#' or the end
    bool has_authority = false;
};

bool is_scheme_char(char c) {
    return std::isalnum((unsigned char)c) || c == '+' || c == '-' || c == '.';
}

// Where the path of url lies; a text without scheme is all path.
url_parts split(const std::string& url) {
    url_parts parts;
    const std::string scheme = url_scheme(url);
    if (scheme.empty()) {
        parts.path_end = url.size();
        return parts;
    }
    size_t at = scheme.size() + 1;
    if (url.compare(at, 2, "//") == 0) {
        parts.has_authority = true;
        at = url.find_first_of("/?#", at + 2);
        if (at == std::string::npos) at = url.size();
    }
    parts.path_begin = at;
    parts.path_end = url.find_first_of("?#", at);
    if (parts.path_end == std::string::npos) parts.path_end = url.size();
    return parts;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string escape(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char u = (unsigned char)c;
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += digits[u >> 4];
            out += digits[u & 15];
        }
    }
    return out;
}

}  // namespace

std::string url_scheme(const std::string& url) {
    if (url.empty() || !std::isalpha((unsigned char)url[0])) return std::string();
    size_t i = 1;
    while (i < url.size() && is_scheme_char(url[i])) ++i;
    if (i >= url.size() || url[i] != ':' || i == 1) return std::string();
    return url.substr(0, i);
}

std::string url_path(const std::string& url, bool unescape_path) {
    if (url_scheme(url).empty()) return url;
    const url_parts parts = split(url);
    const std::string path = url.substr(parts.path_begin, parts.path_end - parts.path_begin);
    return unescape_path ? unescape(path) : path;
}

std::string url_set_path(const std::string& url, const std::string& path, bool escape_path) {
    if (url_scheme(url).empty()) return path;
    const url_parts parts = split(url);
    std::string new_path = escape_path ? escape(path) : path;
    if (parts.has_authority && !new_path.empty() && new_path[0] != '/') new_path.insert(0, 1, '/');
    return url.substr(0, parts.path_begin) + new_path + url.substr(parts.path_end);
}

std::string path_file(const std::string& path, char sep) {
    const size_t cut = path.find_last_of(std::string(1, sep) + "/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace kolmbase
