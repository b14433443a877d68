// The parts of a URL string (RFC 3986: scheme, authority, path, query,
// fragment) and the resolution of a relative reference against a base.
#pragma once

#include <string>

namespace qtrt {

struct url_parts {
    bool has_scheme = false;
    std::string scheme;
    bool has_authority = false;
    std::string authority;
    std::string path;
    bool has_query = false;
    std::string query;
    bool has_fragment = false;
    std::string fragment;
};

url_parts parse_url(const std::string& text);
std::string compose_url(const url_parts& parts);
// The absolute form of `reference` relative to the absolute URL `base`.
std::string resolve_url(const std::string& base, const std::string& reference);

}  // namespace qtrt
