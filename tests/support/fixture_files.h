// The real movies in tests/data, for tests that run over every one of them,
// and the public test movies of ../shared/real beside the repository.
// Header-only: RUV_TEST_DATA_DIR and RUV_REAL_MOVIES_DIR are defined for each
// test program.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace test_fixtures {

inline std::string data_path(const std::string& name) {
    return std::string(RUV_TEST_DATA_DIR) + "/" + name;
}

// NAME.mov of ../shared/real, or "" when it is not there (the folder is
// beside the repository in CI, not in every checkout).
inline std::string real_movie_path(const std::string& name) {
    const std::string path = std::string(RUV_REAL_MOVIES_DIR) + "/" + name + ".mov";
    return std::ifstream(path, std::ios::binary) ? path : std::string();
}

// Why the last listing stopped early, or "" when it did not.
inline std::string& listing_error() {
    static std::string error;
    return error;
}

// The names of the movies in a folder (tests/data unless told), without
// ".mov", sorted.
inline std::vector<std::string> movie_names(const std::string& folder = RUV_TEST_DATA_DIR) {
    std::vector<std::string> names;
    listing_error().clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        listing_error() = std::string("opendir: ") + std::strerror(errno);
        return names;
    }
    errno = 0;  // readdir answers null at the end and on an error, which sets errno
    for (const dirent* entry; (entry = readdir(dir)) != nullptr; errno = 0) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
            names.push_back(name.substr(0, name.size() - 4));
    }
    if (errno != 0) listing_error() = std::string("readdir: ") + std::strerror(errno);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test_fixtures
