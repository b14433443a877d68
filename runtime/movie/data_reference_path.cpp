#include "movie/data_reference_path.h"

#include <cstring>

#include "format/atom_types.h"

namespace qtrt {

using namespace qt_format::atom_types;
namespace {

// Offset of the file name (a Pascal string of up to 63 characters) in an
// alias record.
constexpr size_t kAliasFileNameOffset = 50;

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string without_percent_escapes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
            hex_value(text[i + 2]) >= 0) {
            out += char(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool data_reference_path(const data_reference& ref, const std::string& movie_path,
                         std::string& path) {
    if (ref.type == URLDataHandlerSubType) {
        if (ref.data.empty()) return false;
        std::string url(reinterpret_cast<const char*>(ref.data.data()),
                        strnlen(reinterpret_cast<const char*>(ref.data.data()), ref.data.size()));
        if (url.empty()) return false;
        static const char kFileScheme[] = "file://";
        if (url.compare(0, sizeof kFileScheme - 1, kFileScheme) == 0) {
            std::string rest = without_percent_escapes(url.substr(sizeof kFileScheme - 1));
            size_t slash = rest.find('/');  // skip the host part
            if (slash == std::string::npos) return false;
            path = rest.substr(slash);
#ifdef _WIN32
            if (path.size() > 2 && path[2] == ':') path.erase(0, 1);
#endif
            return true;
        }
        if (url.find(':') != std::string::npos) return false;  // another scheme
        path = folder_of(movie_path) + without_percent_escapes(url);
        return true;
    }
    if (ref.type == AliasDataHandlerSubType) {
        if (ref.data.size() <= kAliasFileNameOffset) return false;
        size_t length = ref.data[kAliasFileNameOffset];
        if (length == 0 || length > 63 || kAliasFileNameOffset + 1 + length > ref.data.size())
            return false;
        const char* name = reinterpret_cast<const char*>(&ref.data[kAliasFileNameOffset + 1]);
        path = folder_of(movie_path) + std::string(name, length);
        return true;
    }
    return false;
}

}  // namespace qtrt
