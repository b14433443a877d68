// Truncating values computed from a movie's fields into integer types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "importer/truncate.h"

namespace {

using ns_movie_apple_qt::truncate_to;

struct truncate_case {
    double value;
    int64_t as_int64;
    int32_t as_int32;
    uint32_t as_uint32;
};

class Truncate : public testing::TestWithParam<truncate_case> {};

TEST_P(Truncate, TowardZeroInsideTheTargetRange) {
    const truncate_case& c = GetParam();
    EXPECT_EQ(truncate_to<int64_t>(c.value), c.as_int64);
    EXPECT_EQ(truncate_to<int32_t>(c.value), c.as_int32);
    EXPECT_EQ(truncate_to<uint32_t>(c.value), c.as_uint32);
}

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Values, Truncate,
    testing::Values(truncate_case{1764.5, 1764, 1764, 1764}, truncate_case{-0.7, 0, 0, 0},
                    truncate_case{-2.5, -2, -2, 0}, truncate_case{4294967295.0, 4294967295LL, INT32_MAX, UINT32_MAX},
                    truncate_case{4294967296.0, 4294967296LL, INT32_MAX, UINT32_MAX},
                    truncate_case{-3e9, -3000000000LL, INT32_MIN, 0},
                    truncate_case{1e300, kInt64Max, INT32_MAX, UINT32_MAX},
                    truncate_case{-1e300, kInt64Min, INT32_MIN, 0},
                    truncate_case{std::nan(""), 0, 0, 0}));

}  // namespace
