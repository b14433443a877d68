// The real movies in tests/data, for tests that run over every one of them.
// Header-only: RUV_TEST_DATA_DIR is defined for each test program.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace test_fixtures {

inline std::string data_path(const std::string& name) {
    return std::string(RUV_TEST_DATA_DIR) + "/" + name;
}

// Why the last listing of tests/data stopped early, or "" when it did not.
inline std::string& listing_error() {
    static std::string error;
    return error;
}

// The names of the movies in tests/data, without ".mov", sorted.
inline std::vector<std::string> movie_names() {
    std::vector<std::string> names;
    listing_error().clear();
    DIR* dir = opendir(RUV_TEST_DATA_DIR);
    if (!dir) {
        listing_error() = std::string("opendir: ") + std::strerror(errno);
        return names;
    }
    for (;;) {
        errno = 0;
        dirent* entry = readdir(dir);
        if (!entry) {
            if (errno != 0) listing_error() = std::string("readdir: ") + std::strerror(errno);
            break;
        }
        std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
            names.push_back(name.substr(0, name.size() - 4));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test_fixtures
