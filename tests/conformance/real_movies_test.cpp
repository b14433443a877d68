// Every movie of ../shared/real and ../shared/fixtures imported by ruv-import
// and judged by ../shared/tools/conform.py: frames against the container's
// own tables and another tool's packets, sound against the movie's time line,
// and the published descriptions against what the movie's atoms say. Skipped,
// with a message, where the folders are not. A movie of expected_failures.txt
// must fail with exactly the complaints listed for it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixture_files.h"

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
    for (const std::string& name : test_fixtures::movie_names(kShared + "/" + folder))
        movies.push_back({folder, name});
    if (movies.empty()) movies.push_back({folder, kNoMovies});
    return movies;
}

// The starts of the complaints the judge must make of a movie listed in
// expected_failures.txt ("name: complaint; complaint  # cause"); none for a
// movie not listed.
std::vector<std::string> listed_complaints(const std::string& name) {
    std::ifstream in(std::string(RUV_TEST_DATA_DIR) + "/../conformance/expected_failures.txt");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, name.size() + 1, name + ":") != 0) continue;
        std::istringstream parts(line.substr(name.size() + 1, line.find('#') - name.size() - 1));
        for (std::string part; std::getline(parts, part, ';');) {
            part.erase(0, part.find_first_not_of(' '));
            part.erase(part.find_last_not_of(' ') + 1);
            if (!part.empty()) out.push_back(part);
        }
    }
    return out;
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
    const bool passed = pclose(pipe) == 0;
    const std::vector<std::string> listed = listed_complaints(name);
    if (listed.empty()) {
        EXPECT_TRUE(passed) << out;
        return;
    }
    ASSERT_FALSE(passed) << "passes now: take it off tests/conformance/expected_failures.txt";
    // "FAIL NAME.mov: a; b": every listed complaint made, and no other.
    const size_t at = out.find("FAIL " + name + ".mov: ");
    const std::string said = at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
    for (const std::string& complaint : listed)
        EXPECT_TRUE(said.find(": " + complaint) != std::string::npos ||
                    said.find("; " + complaint) != std::string::npos)
            << "the listed complaint is no longer made: " << complaint << "\n" << out;
    size_t made = 1;
    for (size_t i = said.find("; "); i != std::string::npos; i = said.find("; ", i + 2)) ++made;
    EXPECT_EQ(made, listed.size()) << "complaints not listed for this known failure: " << said;
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
