// Conversions between file-system paths and URL text.
#include "cf/file_system_path.h"

#include <cctype>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "cf/percent_escapes.h"
#include "cf/text_encoding.h"
#include "cf/url_parts.h"

namespace qtrt {

namespace {

constexpr char k_volumes[] = "/Volumes/";

// One path component as URL text: everything a URL cannot carry, and the
// characters that would end a path (';', '?', '#') or split it ('/'), escaped.
bool escape_component(const std::string& component, std::string& out) {
    std::u16string text;
    std::u16string escaped;
    if (!from_utf8(component, text) ||
        !add_percent_escapes(text, u"", u";?#/", kCFStringEncodingUTF8, escaped)) {
        return false;
    }
    out += to_utf8(escaped);
    return true;
}

std::vector<std::string> split(const std::string& text, const char* separators) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        bool separator = false;
        for (const char* s = separators; *s != 0; ++s) {
            separator = separator || c == *s;
        }
        if (separator) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

// Joins components with '/', escaping each one.
bool join_components(const std::vector<std::string>& parts, std::string& out) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += '/';
        }
        if (!escape_component(parts[i], out)) {
            return false;
        }
    }
    return true;
}

bool is_drive(const std::string& s) {
    return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':';
}

bool posix_url(const std::string& path, std::string& url, bool& absolute) {
    absolute = path[0] == '/';
    if (absolute) {
        url = "file://";
    }
    return join_components(split(path, "/"), url);
}

bool windows_url(const std::string& path, std::string& url, bool& absolute) {
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
        (path[1] == '\\' || path[1] == '/')) {
        // UNC: \\server\share\rest.
        std::vector<std::string> parts = split(path.substr(2), "\\/");
        absolute = true;
        url = "file://";
        if (!escape_component(parts[0], url)) {
            return false;
        }
        parts.erase(parts.begin());
        if (parts.empty()) {
            url += '/';
            return true;
        }
        url += '/';
        return join_components(parts, url);
    }
    if (is_drive(path)) {
        absolute = true;
        url = "file:///";
        url += path.substr(0, 2);
        std::string rest = path.substr(2);
        if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) {
            rest = "\\" + rest;  // a drive alone means its root
        }
        url += '/';
        return join_components(split(rest.substr(1), "\\/"), url);
    }
    absolute = path[0] == '\\' || path[0] == '/';
    if (absolute) {
        url = "file://";
    }
    return join_components(split(path, "\\/"), url);
}

bool hfs_url(const std::string& path, std::string& url, bool& absolute) {
    absolute = path[0] != ':';
    std::vector<std::string> parts = split(absolute ? path : path.substr(1), ":");
    if (absolute) {
        url = "file://";
        url += k_volumes;
        return join_components(parts, url);
    }
    // Each empty component after the first colon climbs one folder.
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            url += '/';
        }
        if (parts[i].empty() && i + 1 < parts.size()) {
            url += "..";
        } else if (!escape_component(parts[i], url)) {
            return false;
        }
    }
    return true;
}

bool unescape(const std::string& text, std::string& out) {
    std::u16string in;
    std::u16string plain;
    if (!from_utf8(text, in) || !remove_percent_escapes(in, u"", plain)) {
        return false;
    }
    out = to_utf8(plain);
    return true;
}

std::string replace_all(std::string text, char from, char to) {
    for (char& c : text) {
        c = c == from ? to : c;
    }
    return text;
}

bool is_local_host(const std::string& host) {
    return host.empty() || host == "localhost";
}

}  // namespace

bool url_text_from_path(const std::string& path, CFURLPathStyle style, bool is_directory,
                        std::string& url_text, bool& is_absolute) {
    url_text.clear();
    is_absolute = false;
    if (path.empty()) {
        return false;
    }
    bool ok = false;
    switch (style) {
    case kCFURLPOSIXPathStyle:
        ok = posix_url(path, url_text, is_absolute);
        break;
    case kCFURLWindowsPathStyle:
        ok = windows_url(path, url_text, is_absolute);
        break;
    case kCFURLHFSPathStyle:
        ok = hfs_url(path, url_text, is_absolute);
        break;
    default:
        return false;
    }
    if (ok && is_directory && !url_text.empty() && url_text.back() != '/') {
        url_text += '/';
    }
    return ok;
}

bool path_from_url_text(const std::string& url_text, CFURLPathStyle style,
                        std::string& path) {
    url_parts parts = parse_url(url_text);
    std::string url_path;
    std::string host;
    if (!unescape(parts.path, url_path) || !unescape(parts.authority, host)) {
        return false;
    }
    if (url_path.size() > 1 && url_path.back() == '/') {
        url_path.pop_back();
    }
    switch (style) {
    case kCFURLPOSIXPathStyle:
        path = url_path;
        return true;
    case kCFURLWindowsPathStyle:
        if (!is_local_host(host)) {
            path = "\\\\" + host + replace_all(url_path, '/', '\\');
            return true;
        }
        if (url_path.size() >= 3 && url_path[0] == '/' && is_drive(url_path.substr(1))) {
            url_path.erase(0, 1);
            if (url_path.size() == 2) {
                url_path += '/';  // the drive's root
            }
        }
        path = replace_all(url_path, '/', '\\');
        return true;
    case kCFURLHFSPathStyle: {
        std::string p = url_path;
        if (p.compare(0, sizeof k_volumes - 1, k_volumes) == 0) {
            p.erase(0, sizeof k_volumes - 1);
        } else if (!p.empty() && p[0] == '/') {
            p.erase(0, 1);
        } else {
            p = "/" + p;  // relative paths start with the separator in HFS
        }
        // A '/' inside an HFS name appears as ':' in the other styles.
        for (char& c : p) {
            c = c == '/' ? ':' : (c == ':' ? '/' : c);
        }
        path = p;
        return true;
    }
    default:
        return false;
    }
}

std::string current_directory_url() {
    std::vector<char> buffer(4096);
#ifdef _WIN32
    bool ok = _getcwd(buffer.data(), int(buffer.size())) != nullptr;
    CFURLPathStyle style = kCFURLWindowsPathStyle;
#else
    bool ok = getcwd(buffer.data(), buffer.size()) != nullptr;
    CFURLPathStyle style = kCFURLPOSIXPathStyle;
#endif
    std::string url;
    bool absolute = false;
    if (!ok || !url_text_from_path(buffer.data(), style, true, url, absolute) ||
        !absolute) {
        return "file:///";
    }
    return url;
}

}  // namespace qtrt
