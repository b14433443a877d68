// Whole seconds and milliseconds of a time stamp: halves round away from zero.
#include <gtest/gtest.h>

#include "lib/ruv/CTimeStamp.h"

namespace {

struct rounding_case {
    double seconds;
    int64_t whole_seconds;
    int64_t milliseconds;
};

class TimeStampRounding : public ::testing::TestWithParam<rounding_case> {};

TEST_P(TimeStampRounding, HalvesRoundAwayFromZero) {
    const Ruv::CTimeStamp t(GetParam().seconds);
    EXPECT_EQ(t.getSeconds(), GetParam().whole_seconds);
    EXPECT_EQ(t.getMilliSeconds(), GetParam().milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Values, TimeStampRounding,
                         ::testing::Values(rounding_case{2.5, 3, 2500},
                                           rounding_case{-2.5, -3, -2500},
                                           rounding_case{-0.0005, 0, -1},
                                           rounding_case{0.49, 0, 490}));

}  // namespace
