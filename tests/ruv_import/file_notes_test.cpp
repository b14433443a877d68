// What ruv-import says of a movie from the file itself: sound the
// extraction cannot have decoded, named by track and format.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ruv_import/tool_run.h"
#include "support/movie_builder.h"

namespace {

using namespace ruv_import_test;

struct format_case {
    const char* name;
    uint32_t format;
    bool enabled;
    const char* says;  // the warning's text after the file name; "" when none
};

class UndecodableSound : public testing::TestWithParam<format_case> {};

TEST_P(UndecodableSound, IsAWarningNamingTheTrackAndFormat) {
    const format_case& c = GetParam();
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 100, 20);
    test_movie::track_plan& sound = plan.add_sound(c.format, 1, 16, 8000);
    sound.add_samples(800, 2, 1);
    sound.enabled = c.enabled;
    plan.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(800, 2, 1);
    const std::string name = std::string("sound_") + c.name + ".mov";
    const std::string path = output_path(name);
    ASSERT_TRUE(test_movie::write_movie(plan, path));
    const tool_result run = run_tool({"--json", "--quiet", path});
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 0) << run.err;
    size_t warnings = 0;
    for (const auto& e : run.events)
        if (e["event"] == "warning") {
            ++warnings;
            EXPECT_NE(e["message"].get<std::string>().find(c.says), std::string::npos)
                << e["message"];
        }
    EXPECT_EQ(warnings, *c.says ? 1u : 0u) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, UndecodableSound,
    testing::Values(
        format_case{"UnprintableFormat", 0x6D730031, true,
                    "' cannot be decoded and is left out: the extraction delivers 1 channel "
                    "where the enabled sound tracks hold at least 2 (2 'ms.1', 3 'twos' 1 "
                    "channel)"},
        format_case{"DisabledTrack", test_movie::fourcc("zzzz"), false, ""},
        format_case{"Pcm", test_movie::kSowt, true, ""}),
    [](const testing::TestParamInfo<format_case>& info) { return info.param.name; });

}  // namespace
