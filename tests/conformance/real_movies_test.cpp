// Every movie of ../shared/real and ../shared/fixtures imported by ruv-import
// and judged by ../shared/tools/conform.py: frames against the container's
// own tables and another tool's packets, sound against the movie's time line,
// and the published descriptions against what the movie's atoms say. Skipped,
// with a message, where the folders are not.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kShared = std::string(RUV_TEST_DATA_DIR) + "/../../../shared";
// Stands for every movie of a folder that holds none, so that the skip is said.
const std::string kNoMovies = "no_movies";

struct judged_movie {
    std::string folder;  // below ../shared
    std::string name;
};

std::vector<judged_movie> movies_in(const std::string& folder) {
    std::vector<judged_movie> movies;
    if (DIR* dir = opendir((kShared + "/" + folder).c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
                movies.push_back({folder, name.substr(0, name.size() - 4)});
        }
        closedir(dir);
    }
    std::sort(movies.begin(), movies.end(),
              [](const judged_movie& a, const judged_movie& b) { return a.name < b.name; });
    if (movies.empty()) movies.push_back({folder, kNoMovies});
    return movies;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

class JudgedMovie : public ::testing::TestWithParam<judged_movie> {};

TEST_P(JudgedMovie, ImportsAsTheMovieSaysItMust) {
    const std::string name = GetParam().name;
    const std::string folder = kShared + "/" + GetParam().folder;
    if (name == kNoMovies) GTEST_SKIP() << folder << " holds no movie: not judged";
    if (std::system("command -v python3 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3, which runs the judge, is not installed";
    const std::string command = "python3 " + quoted(kShared + "/tools/conform.py") +
                                " --ruv-import " + quoted(std::string(RUV_OUTPUT_DIR) + "/ruv-import") +
                                " --dir " + quoted(folder) + " " + quoted(name) +
                                " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0) << out;
}

std::string test_name(const ::testing::TestParamInfo<judged_movie>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Real, JudgedMovie, ::testing::ValuesIn(movies_in("real")), test_name);
INSTANTIATE_TEST_SUITE_P(Fixtures, JudgedMovie, ::testing::ValuesIn(movies_in("fixtures")), test_name);

}  // namespace
