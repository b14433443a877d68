// Every movie of ../shared/real and ../shared/fixtures imported by ruv-import
// and judged by ../shared/tools/conform.py: frames against the container's
// own tables and another tool's packets, sound against the movie's time line,
// and the published descriptions against what the movie's atoms say. Skipped,
// with a message, where the folders are not. A movie of expected_failures.txt
// must fail with exactly the complaints listed for it.
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

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct known_failure {
    std::vector<std::string> complaints;  // the start of each complaint the judge makes
    std::string cause;
};

// name: complaint; complaint  # cause
std::map<std::string, known_failure> expected_failures() {
    std::map<std::string, known_failure> known;
    std::ifstream in(std::string(RUV_TEST_DATA_DIR) + "/../conformance/expected_failures.txt");
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        const size_t hash = line.find('#');
        if (line.empty() || line[0] == '#' || colon == std::string::npos || hash < colon) continue;
        known_failure& entry = known[trimmed(line.substr(0, colon))];
        for (const std::string& part : split(line.substr(colon + 1, hash - colon - 1), ";"))
            if (!trimmed(part).empty()) entry.complaints.push_back(trimmed(part));
        if (hash != std::string::npos) entry.cause = trimmed(line.substr(hash + 1));
    }
    return known;
}

// The judge's complaints about one movie, from its "FAIL NAME.mov: a; b" line.
std::vector<std::string> complaints(const std::string& out, const std::string& name) {
    const std::string head = "FAIL " + name + ".mov: ";
    const size_t at = out.find(head);
    if (at == std::string::npos) return {};
    const size_t end = out.find('\n', at);
    return split(out.substr(at + head.size(), end == std::string::npos ? std::string::npos
                                                                       : end - at - head.size()),
                 "; ");
}

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
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
    const std::map<std::string, known_failure> failures = expected_failures();
    const auto known = failures.find(name);
    if (known == failures.end()) {
        EXPECT_TRUE(passed) << out;
        return;
    }
    ASSERT_FALSE(passed) << "passes now: take it off tests/conformance/expected_failures.txt";
    const std::vector<std::string> said = complaints(out, name);
    for (const std::string& complaint : said) {
        const bool listed = std::any_of(known->second.complaints.begin(), known->second.complaints.end(),
                                        [&](const std::string& p) { return starts_with(complaint, p); });
        EXPECT_TRUE(listed) << "a complaint not listed for this known failure (" << known->second.cause
                            << "): " << complaint;
    }
    for (const std::string& prefix : known->second.complaints) {
        const bool made = std::any_of(said.begin(), said.end(),
                                      [&](const std::string& c) { return starts_with(c, prefix); });
        EXPECT_TRUE(made) << "the listed complaint is no longer made: " << prefix << "\n" << out;
    }
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
