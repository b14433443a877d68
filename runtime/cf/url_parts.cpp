// Splitting, joining and resolving URL strings after RFC 3986.
#include "cf/url_parts.h"

#include <cctype>

namespace qtrt {

namespace {

bool scheme_char(char c, bool first) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
        return true;
    }
    return !first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' ||
                      c == '-' || c == '.');
}

// RFC 3986 5.2.4.
std::string remove_dot_segments(std::string in) {
    std::string out;
    while (!in.empty()) {
        if (in.compare(0, 3, "../") == 0) {
            in.erase(0, 3);
        } else if (in.compare(0, 2, "./") == 0) {
            in.erase(0, 2);
        } else if (in.compare(0, 3, "/./") == 0) {
            in.erase(0, 2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.compare(0, 4, "/../") == 0 || in == "/..") {
            in = in.size() == 3 ? std::string("/") : in.substr(3);
            size_t cut = out.rfind('/');
            out.erase(cut == std::string::npos ? 0 : cut);
        } else if (in == "." || in == "..") {
            in.clear();
        } else {
            size_t next = in.find('/', 1);
            out += in.substr(0, next);
            in.erase(0, next == std::string::npos ? in.size() : next);
        }
    }
    return out;
}

std::string merge(const url_parts& base, const std::string& path) {
    if (base.has_authority && base.path.empty()) {
        return "/" + path;
    }
    size_t cut = base.path.rfind('/');
    return cut == std::string::npos ? path : base.path.substr(0, cut + 1) + path;
}

}  // namespace

url_parts parse_url(const std::string& text) {
    url_parts parts;
    std::string rest = text;
    size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        parts.has_fragment = true;
        parts.fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }
    size_t colon = rest.find(':');
    if (colon != std::string::npos && colon > 0) {
        bool ok = true;
        for (size_t i = 0; i < colon && ok; ++i) {
            ok = scheme_char(rest[i], i == 0);
        }
        if (ok) {
            parts.has_scheme = true;
            parts.scheme = rest.substr(0, colon);
            rest.erase(0, colon + 1);
        }
    }
    size_t question = rest.find('?');
    if (question != std::string::npos) {
        parts.has_query = true;
        parts.query = rest.substr(question + 1);
        rest.erase(question);
    }
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        parts.has_authority = true;
        parts.authority = rest.substr(2, slash == std::string::npos ? std::string::npos
                                                                    : slash - 2);
        rest.erase(0, slash == std::string::npos ? rest.size() : slash);
    }
    parts.path = rest;
    return parts;
}

std::string compose_url(const url_parts& parts) {
    std::string out;
    if (parts.has_scheme) {
        out += parts.scheme + ":";
    }
    if (parts.has_authority) {
        out += "//" + parts.authority;
    }
    out += parts.path;
    if (parts.has_query) {
        out += "?" + parts.query;
    }
    if (parts.has_fragment) {
        out += "#" + parts.fragment;
    }
    return out;
}

std::string resolve_url(const std::string& base_text, const std::string& reference) {
    url_parts ref = parse_url(reference);
    url_parts base = parse_url(base_text);
    url_parts target;
    if (ref.has_scheme) {
        target = ref;
        target.path = remove_dot_segments(ref.path);
        return compose_url(target);
    }
    target.has_scheme = base.has_scheme;
    target.scheme = base.scheme;
    target.has_fragment = ref.has_fragment;
    target.fragment = ref.fragment;
    if (ref.has_authority) {
        target.has_authority = true;
        target.authority = ref.authority;
        target.path = remove_dot_segments(ref.path);
        target.has_query = ref.has_query;
        target.query = ref.query;
        return compose_url(target);
    }
    target.has_authority = base.has_authority;
    target.authority = base.authority;
    if (ref.path.empty()) {
        target.path = base.path;
        target.has_query = ref.has_query || base.has_query;
        target.query = ref.has_query ? ref.query : base.query;
    } else {
        target.path = remove_dot_segments(ref.path[0] == '/' ? ref.path
                                                             : merge(base, ref.path));
        target.has_query = ref.has_query;
        target.query = ref.query;
    }
    return compose_url(target);
}

}  // namespace qtrt
