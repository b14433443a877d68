// The QuickTime calls the plug-in makes, in order and with their arguments
// that are not addresses, for preflight, configure and a whole run loop of a
// few small movies, against the trace kept beside this test for each one
// (expected/<name>.trace; lines starting with '#' say why a call is there).
// Any call added, moved or dropped fails the test, and changing the expected
// trace is then a visible decision.
//
// CALL_TRACE_WRITE=<folder> writes each trace as it is made there instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "call_trace.h"
#include "importer/importer_harness.h"

namespace {

using importer_test::harness;

struct trace_case {
    const char* name;
    std::function<test_movie::movie_plan()> movie;
    harness::keys keys;
};

// Five sync samples of 60 units in a movie of time scale 600; edits given.
test_movie::movie_plan video(const std::vector<test_movie::edit>& edits, bool every_sync = true,
                             uint32_t count = 5) {
    test_movie::movie_plan movie;
    test_movie::track_plan& track = movie.add_video(test_movie::kAvc1, 320, 240);
    for (uint32_t i = 0; i < count; ++i)
        track.add_samples(1, 100, 60, every_sync || i % 4 == 0);
    for (const test_movie::edit& e : edits) track.add_edit(e.duration, e.media_time);
    return movie;
}

test_movie::movie_plan sound_only() {
    test_movie::movie_plan movie;
    movie.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(800, 2, 1);
    return movie;
}

const harness::keys kExported = {{"video", "0"}, {"audio", "1"}};

std::vector<trace_case> cases() {
    harness::keys handler = kExported;
    handler["data-handler-mode"] = "force-enable";
    return {
        {"OneEdit", [] { return video({{300, 0}}); }, kExported},
        {"EmptyEditThenOneEdit", [] { return video({{120, -1}, {300, 0}}); }, kExported},
        {"TrimInsideAGroup", [] { return video({{120, 90}}, false, 8); }, kExported},
        {"SeveralEdits", [] { return video({{120, 0}, {120, 180}}); }, kExported},
        {"SoundOnly", sound_only, kExported},
        {"DataHandler", [] { return video({{300, 0}}); }, handler},
    };
}

std::string source_folder() { return std::string(RUV_CALL_TRACE_DIR) + "/expected/"; }

// The expected trace's calls, comments and blank lines left out.
std::vector<std::string> expected(const std::string& name) {
    std::vector<std::string> lines;
    std::ifstream in(source_folder() + name + ".trace");
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

class CallTrace : public testing::TestWithParam<trace_case> {};

TEST_P(CallTrace, MatchesTheExpectedTrace) {
    const trace_case& c = GetParam();
    harness h(c.movie(), std::string("call_trace_") + c.name, c.keys);
    call_trace::start();
    ASSERT_EQ(h.preflight(), 0);
    ASSERT_EQ(h.configure(), 0);
    ASSERT_EQ(h.runloop(), 0);
    const std::vector<std::string> made = call_trace::stop();
    if (const char* folder = std::getenv("CALL_TRACE_WRITE")) {
        std::ofstream out(std::string(folder) + "/" + c.name + ".trace");
        for (const std::string& line : made) out << line << "\n";
        return;
    }
    const std::vector<std::string> wanted = expected(c.name);
    ASSERT_FALSE(wanted.empty()) << "no expected trace for " << c.name;
    const size_t common = std::min(made.size(), wanted.size());
    for (size_t i = 0; i < common; ++i)
        ASSERT_EQ(made[i], wanted[i]) << "call " << i + 1 << " of " << c.name;
    EXPECT_EQ(made.size(), wanted.size())
        << "first call beyond the other trace: "
        << (made.size() > common ? made[common] : wanted[common]);
}

INSTANTIATE_TEST_SUITE_P(Movies, CallTrace, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<trace_case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
