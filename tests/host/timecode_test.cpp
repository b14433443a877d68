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

}  // namespace
