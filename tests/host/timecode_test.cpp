// Time codes as frames carry them: advancing by one frame in every mode, drop
// frame counting, and the four words of state.
#include <gtest/gtest.h>

#include "lib/kolmbase/timecode.h"

namespace {

using kolmbase::timecode;

struct advance_case {
    uint32_t mode;
    uint32_t h, m, s, f;
    const char* next;
};

class TimecodeAdvance : public ::testing::TestWithParam<advance_case> {};

TEST_P(TimecodeAdvance, OneFrameLater) {
    const advance_case& c = GetParam();
    timecode tc(c.mode, c.h, c.m, c.s, c.f, 1);
    tc.advance();
    EXPECT_EQ(tc.to_string(), c.next);
    EXPECT_EQ(tc.flags(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TimecodeAdvance,
    ::testing::Values(advance_case{timecode::mode_2997_drop, 0, 0, 59, 29, "00:01:00;02"},
                      advance_case{timecode::mode_2997_drop, 0, 9, 59, 29, "00:10:00;00"},
                      advance_case{timecode::mode_5994_drop, 0, 0, 59, 59, "00:01:00;04"},
                      advance_case{timecode::mode_24_drop, 0, 0, 59, 23, "00:01:00;00"},
                      advance_case{timecode::mode_2997_drop, 23, 59, 59, 29, "00:00:00;00"},
                      advance_case{timecode::mode_none, 0, 0, 0, 0, "00:00:01:00"}));

TEST(Timecode, DropCountTracksRealTimeOverTenMinutes) {
    // 29.97 drop-frame labels ten minutes of 17982 frames as exactly 00:10:00;00.
    timecode tc(timecode::mode_2997_drop);
    for (int i = 0; i < 17982; ++i) tc.advance();
    EXPECT_EQ(tc.to_string(), "00:10:00;00");
}

TEST(Timecode, FieldsOutsideTheirRangeAreReduced) {
    const timecode tc(25, 26, 61, 75, 27, 1);
    EXPECT_EQ(tc.to_string(), "02:01:15:02");
}

TEST(Timecode, FourWordsOfState) {
    const timecode tc(timecode::mode_2997_drop, 1, 2, 3, 4, 1);
    const uint32_t* w = tc.words();
    EXPECT_EQ(w[0], 0x701Eu);
    EXPECT_EQ(w[1], 1u);
    EXPECT_EQ(w[2], (2u << 8) | 3u);
    EXPECT_EQ(w[3], (4u << 8) | 1u);
    timecode copy;
    copy.set_words(w);
    EXPECT_EQ(copy, tc);
    EXPECT_TRUE(copy.is_drop_frame());
}

}  // namespace
