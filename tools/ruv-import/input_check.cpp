#include "input_check.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "lib/kolmbase/strings.h"

#if defined(_WIN32)
#include <stdlib.h>
#else
#include <unistd.h>
#endif

namespace ruv_import {

std::string absolute_path(const std::string& path) {
    if (path.empty() || !kolmbase::url_scheme(path).empty()) return path;
#if defined(_WIN32)
    char full[4096];
    return _fullpath(full, path.c_str(), sizeof full) ? std::string(full) : path;
#else
    if (path[0] == '/') return path;
    char folder[4096];
    if (!getcwd(folder, sizeof folder)) return path;
    return std::string(folder) + "/" + path;
#endif
}

std::string input_problem(const std::string& path) {
    if (path.empty()) return "no movie given";
    if (!kolmbase::url_scheme(path).empty()) return "";
#if defined(_WIN32)
    struct _stati64 info;
    if (_stati64(path.c_str(), &info) != 0) {
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
#endif
        if (errno == ENOENT) return "no such file";
        return std::strerror(errno);
    }
    if (S_ISDIR(info.st_mode)) return "is a directory, not a movie file";
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    if (!std::ifstream(path, std::ios::binary)) return "cannot be read";
    if (info.st_size == 0) return "is empty";
    return "";
}

}  // namespace ruv_import
