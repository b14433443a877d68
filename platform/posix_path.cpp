#include "posix_path.h"

#include <unistd.h>

#include <cctype>
#include <climits>

namespace win32_posix {

std::string to_posix_path(const char* path) {
    std::string result(path ? path : "");
    for (char& c : result) {
        if (c == '\\') c = '/';
    }
    return result;
}

std::string program_path() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return length > 0 ? std::string(buffer, size_t(length)) : std::string();
}

std::string program_folder() {
    std::string path = program_path();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool same_file_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string file_name_of(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace win32_posix
