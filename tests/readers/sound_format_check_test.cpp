// The importer's word on sound the extraction leaves out: one log line when
// the enabled sound tracks hold channels the extraction does not deliver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "importer/sound_format_check.h"
#include "importer/track_audio.h"
#include "readers/reader_test_support.h"

namespace {

using namespace reader_test;

struct format_case {
    const char* name;
    uint32_t format;
    bool enabled;
    const char* line;  // empty: nothing logged
};

class UndecodableSound : public testing::TestWithParam<format_case> {};

TEST_P(UndecodableSound, IsNamedByItsTrackAndFormat) {
    const format_case& c = GetParam();
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 100, 20);
    test_movie::track_plan& sound = plan.add_sound(c.format, 1, 16, 8000);
    sound.add_samples(800, 2, 1);
    sound.enabled = c.enabled;
    plan.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(800, 2, 1);
    movie_ptr movie = open_built(plan);
    ASSERT_NE(movie, nullptr);
    ns_movie_apple_qt::audio_track audio;
    ASSERT_EQ(audio.open(movie.get()), 0);
    log_recorder log;
    const uint32_t missing = ns_movie_apple_qt::log_undecodable_sound(movie.get(), audio.channel_count());
    if (*c.line == 0) {
        EXPECT_EQ(missing, 0u);
        EXPECT_TRUE(log.lines.empty());
        return;
    }
    EXPECT_EQ(missing, 1u);
    EXPECT_EQ(log.lines, std::vector<std::string>{c.line});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, UndecodableSound,
    testing::Values(
        format_case{"UnprintableFormat", 0x6D730031, true,
                    "sound of '' cannot be decoded and is left out: the extraction delivers "
                    "1 channel where the enabled sound tracks hold at least 2 (2 'ms.1', "
                    "3 'twos' 1 channel)"},
        format_case{"DisabledTrack", test_movie::fourcc("zzzz"), false, ""},
        format_case{"Pcm", test_movie::kSowt, true, ""}),
    [](const testing::TestParamInfo<format_case>& info) { return info.param.name; });

}  // namespace
