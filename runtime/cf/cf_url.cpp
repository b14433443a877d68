// URL objects and the URL routines.
#include "cf/cf_url.h"

#include <new>

#include "cf/cf_object.h"
#include "cf/cf_string_object.h"
#include "cf/file_system_path.h"
#include "cf/percent_escapes.h"
#include "cf/text_encoding.h"
#include "cf/url_parts.h"

namespace qtrt {

namespace {

// A URL, kept as its absolute text: a string relative to a base is resolved
// when the URL is made (a relative string without a base stays as it is).
class cf_url : public cf_object {
public:
    explicit cf_url(std::string absolute)
        : cf_object(cf_kind::url), m_absolute(std::move(absolute)) {}

    CFURLRef ref() const {
        return static_cast<CFURLRef>(
            static_cast<const void*>(static_cast<const cf_object*>(this)));
    }
    const std::string& absolute() const { return m_absolute; }

private:
    std::string m_absolute;
};

cf_url* as_url(CFTypeRef ref) {
    return static_cast<cf_url*>(cf_lookup(ref, cf_kind::url));
}

CFURLRef make_url(const std::string& text, const std::string* base) {
    try {
        std::string absolute = base != nullptr && !parse_url(text).has_scheme
                                   ? resolve_url(*base, text)
                                   : text;
        return (new cf_url(absolute))->ref();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool is_hex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A URL string is well formed when it holds only legal characters, '%' only
// as the start of an escape, '#' at most once and brackets for IPv6 hosts.
bool well_formed(const std::u16string& text) {
    bool fragment = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'%') {
            if (i + 2 >= text.size() || !is_hex(text[i + 1]) || !is_hex(text[i + 2])) {
                return false;
            }
        } else if (c == u'#') {
            if (fragment) {
                return false;
            }
            fragment = true;
        } else if (c != u'[' && c != u']' && !is_legal_url_char(c)) {
            return false;
        }
    }
    return true;
}

CFStringRef new_string(std::u16string text) {
    cf_string* s = cf_string::create(std::move(text), false);
    return s != nullptr ? s->ref() : nullptr;
}

}  // namespace

bool cf_url_string(CFURLRef url, std::string& text) {
    cf_url* u = as_url(url);
    if (u == nullptr) {
        return false;
    }
    text = u->absolute();
    return true;
}

bool cf_url_file_path(CFURLRef url, std::string& path) {
    cf_url* u = as_url(url);
    if (u == nullptr) {
        return false;
    }
    url_parts parts = parse_url(u->absolute());
    if (parts.has_scheme && parts.scheme != "file" && parts.scheme != "FILE") {
        return false;
    }
#ifdef _WIN32
    return path_from_url_text(u->absolute(), kCFURLWindowsPathStyle, path) &&
           !path.empty();
#else
    if (!path_from_url_text(u->absolute(), kCFURLPOSIXPathStyle, path) || path.empty()) {
        return false;
    }
    if (parts.has_authority && !parts.authority.empty() && parts.authority != "localhost") {
        std::u16string escaped;
        std::u16string plain;
        if (!from_utf8(parts.authority, escaped) ||
            !remove_percent_escapes(escaped, u"", plain)) {
            return false;
        }
        path = "//" + to_utf8(plain) + path;
    }
    return true;
#endif
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
    cf_string* s = as_string(URLString);
    if (s == nullptr || !well_formed(s->text())) {
        return nullptr;
    }
    cf_url* base = as_url(baseURL);
    if (base != nullptr) {
        std::string base_text = base->absolute();
        return make_url(to_utf8(s->text()), &base_text);
    }
    return make_url(to_utf8(s->text()), nullptr);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory) {
    cf_string* s = as_string(filePath);
    if (s == nullptr) {
        return nullptr;
    }
    std::string text;
    bool absolute = false;
    if (!url_text_from_path(to_utf8(s->text()), pathStyle, isDirectory != 0, text,
                            absolute)) {
        return nullptr;
    }
    if (absolute) {
        return make_url(text, nullptr);
    }
    // A relative path is relative to the current working directory.
    std::string base = current_directory_url();
    return make_url(text, &base);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
    cf_url* u = as_url(anURL);
    std::string path;
    std::u16string text;
    if (u == nullptr || !path_from_url_text(u->absolute(), pathStyle, path) ||
        !from_utf8(path, text)) {
        return nullptr;
    }
    return new_string(std::move(text));
}

CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef,
                                                       CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped) {
    cf_string* s = as_string(originalString);
    if (s == nullptr) {
        return nullptr;
    }
    // No set of characters means that no escape is replaced.
    cf_string* leave = as_string(charactersToLeaveEscaped);
    if (leave == nullptr) {
        return new_string(s->text());
    }
    std::u16string out;
    if (!remove_percent_escapes(s->text(), leave->text(), out)) {
        return nullptr;
    }
    return new_string(std::move(out));
}

CFStringRef CFURLCreateStringByAddingPercentEscapes(
    CFAllocatorRef, CFStringRef originalString, CFStringRef charactersToLeaveUnescaped,
    CFStringRef legalURLCharactersToBeEscaped, CFStringEncoding encoding) {
    cf_string* s = as_string(originalString);
    if (s == nullptr) {
        return nullptr;
    }
    cf_string* leave = as_string(charactersToLeaveUnescaped);
    cf_string* escape = as_string(legalURLCharactersToBeEscaped);
    std::u16string out;
    if (!add_percent_escapes(s->text(), leave != nullptr ? leave->text() : u"",
                             escape != nullptr ? escape->text() : u"", encoding, out)) {
        return nullptr;
    }
    return new_string(std::move(out));
}

}  // namespace qtrt
