// The real movies in tests/data, for tests that run over every one of them.
// Header-only: RUV_TEST_DATA_DIR is defined for each test program.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

namespace test_fixtures {

inline std::string data_path(const std::string& name) {
    return std::string(RUV_TEST_DATA_DIR) + "/" + name;
}

// The names of the movies in tests/data, without ".mov", sorted.
inline std::vector<std::string> movie_names() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(RUV_TEST_DATA_DIR)) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test_fixtures
