// Every real movie of ../shared/real imported by ruv-import and judged by
// ../shared/tools/conform.py: frames against another tool's packets, sound
// against its decoding, and the published descriptions against what the
// movie's own atoms say. Skipped, with a message, where the folder is not;
// the movies of expected_failures.txt are skipped while they fail.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kShared = std::string(RUV_TEST_DATA_DIR) + "/../../../shared";

std::vector<std::string> real_movies() {
    std::vector<std::string> names;
    if (DIR* dir = opendir((kShared + "/real").c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The movies known to fail, by name, with the reason.
std::map<std::string, std::string> expected_failures() {
    std::map<std::string, std::string> known;
    std::ifstream in(std::string(RUV_TEST_DATA_DIR) + "/../conformance/expected_failures.txt");
    std::string line;
    while (std::getline(in, line)) {
        const size_t hash = line.find('#');
        const std::string name = line.substr(0, line.find_first_of(" #"));
        if (!name.empty() && hash != std::string::npos) known[name] = line.substr(hash + 2);
    }
    return known;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

TEST(RealMovies, FolderIsThere) {
    if (real_movies().empty()) GTEST_SKIP() << kShared << "/real holds no movie: not judged";
}

class RealMovie : public ::testing::TestWithParam<std::string> {};

TEST_P(RealMovie, ImportsAsTheMovieSaysItMust) {
    if (std::system("command -v python3 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3, which runs the judge, is not installed";
    const std::string command = "python3 " + quoted(kShared + "/tools/conform.py") +
                                " --ruv-import " + quoted(std::string(RUV_OUTPUT_DIR) + "/ruv-import") +
                                " --dir " + quoted(kShared + "/real") + " " + quoted(GetParam()) +
                                " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    const bool passed = pclose(pipe) == 0;
    const std::map<std::string, std::string> failures = expected_failures();
    const auto known = failures.find(GetParam());
    if (known == failures.end()) {
        EXPECT_TRUE(passed) << out;
    } else if (passed) {
        ADD_FAILURE() << "passes now: take it off tests/conformance/expected_failures.txt";
    } else {
        GTEST_SKIP() << "known to fail (" << known->second << "): " << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, RealMovie, ::testing::ValuesIn(real_movies()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealMovie);

}  // namespace
