// The one time conversion: exact at any magnitude, each rounding on both sides
// of zero, saturation, and sample rates that are not whole numbers.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "format/time_scale.h"

namespace qt_format {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

struct scale_case {
    int64_t value, num, den;
    int64_t down, up, nearest;
};

class ScaleTime : public ::testing::TestWithParam<scale_case> {};

TEST_P(ScaleTime, RoundsEachWay) {
    const scale_case& c = GetParam();
    EXPECT_EQ(scale_time(c.value, c.num, c.den), c.down);
    EXPECT_EQ(scale_time(c.value, c.num, c.den, round_to::up), c.up);
    EXPECT_EQ(scale_time(c.value, c.num, c.den, round_to::nearest), c.nearest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleTime,
    ::testing::Values(
        scale_case{7, 1, 2, 3, 4, 4},          // a half rounds away from zero
        scale_case{-7, 1, 2, -4, -3, -4},      // on both sides of zero
        scale_case{5, 1, 3, 1, 2, 2},
        scale_case{-5, 1, 3, -2, -1, -2},
        scale_case{4, 1, 3, 1, 2, 1},
        scale_case{600, 44100, 600, 44100, 44100, 44100},
        // value × num passes 2^64: the product is kept whole, not cut.
        scale_case{int64_t(1) << 62, int64_t(1) << 40, (int64_t(1) << 40) + 1,
                   4611686018423193600, 4611686018423193601, 4611686018423193600},
        scale_case{kMax, 90000, 90000, kMax, kMax, kMax},
        scale_case{kMin, 3, 3, kMin, kMin, kMin},
        // Beyond the 64-bit range the result saturates.
        scale_case{kMax / 2, 3, 1, kMax, kMax, kMax},
        scale_case{kMin / 2, 3, 1, kMin, kMin, kMin},
        scale_case{12, 5, 0, 0, 0, 0}));

TEST(RescaleTime, SampleRatesAsFractions) {
    // 22254.54545 Hz stored as 16.16: one second of it in movie units of 600.
    const double rate = 0x56EE8BA3 / 65536.0;
    EXPECT_EQ(rescale_time(22254, rate, 600), 600);
    EXPECT_EQ(rescale_time(600, 600, rate), 22255);
    EXPECT_EQ(rescale_time(44100 * 3600, 44100, 48000), int64_t(48000) * 3600);
    EXPECT_EQ(rescale_time(1, 48000, 44100), 1);  // 0.91875 rounds to 1
    EXPECT_EQ(rescale_time(-1, 48000, 44100), -1);
    EXPECT_EQ(rescale_time(kMax, 1, 48000), 4000000000000000);
    EXPECT_EQ(rescale_time(kMin, 1, 48000), -4000000000000000);
    EXPECT_EQ(rescale_time(100, 0.0, 48000), 0);
}

}  // namespace
}  // namespace qt_format
