// The configuration the importer reads its keys from: numbers parsed whole
// or not at all, kept inside the bounds asked for.
#include <gtest/gtest.h>

#include <climits>

#include "lib/cm/CMConfiguration.h"

namespace {

struct int_case {
    const char* value;  // null: key absent
    int expected;
};

class ConfigurationInt : public ::testing::TestWithParam<int_case> {};

TEST_P(ConfigurationInt, ParsesOrFallsBack) {
    Ruv::RPtr<Ruv::CM::RComponentConfiguration> c(new Ruv::CM::RComponentConfiguration());
    if (GetParam().value) c->set("video", GetParam().value);
    EXPECT_EQ(c->getInt("video", -7, -100, 100), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConfigurationInt,
    ::testing::Values(int_case{nullptr, -7}, int_case{" 12\t", 12}, int_case{"0x1F", 31},
                      int_case{"12abc", -7}, int_case{"1.5", -7}, int_case{"-500", -100},
                      int_case{"99999999999999999999", 100}));

TEST(Configuration, FullRangeBoundsKeepExtremes) {
    Ruv::CM::RComponentConfiguration c;
    c.set("a", "2147483647");
    c.set("b", "-2147483648");
    c.set("c", "4294967296");
    EXPECT_EQ(c.getInt("a", 0, INT_MIN, INT_MAX), INT_MAX);
    EXPECT_EQ(c.getInt("b", 0, INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(c.getInt("c", 0, INT_MIN, INT_MAX), INT_MAX);
}

TEST(Configuration, Float64ParsesClampsOrFallsBack) {
    Ruv::CM::RComponentConfiguration c;
    c.setFromKVString("start-time=1.25;end-time= 1e9 ;bad=1.2.3;nan=nan;neg=-5");
    EXPECT_DOUBLE_EQ(c.getFloat64("start-time", 0, 0, 100), 1.25);
    EXPECT_DOUBLE_EQ(c.getFloat64("end-time", 0, 0, 100), 100);
    EXPECT_DOUBLE_EQ(c.getFloat64("neg", 0, 0, 100), 0);
    EXPECT_DOUBLE_EQ(c.getFloat64("bad", 3.5, 0, 100), 3.5);
    EXPECT_DOUBLE_EQ(c.getFloat64("nan", 3.5, 0, 100), 3.5);
    EXPECT_DOUBLE_EQ(c.getFloat64("absent", 3.5, 0, 100), 3.5);
}

TEST(Configuration, KeyValueTextLaterEntriesWin) {
    Ruv::CM::RComponentConfiguration c;
    c.setFromKVString("video=1;video=2;=9");
    EXPECT_EQ(c.getInt("video", 0, 0, 10), 2);
    EXPECT_FALSE(c.has(""));
    c.remove("video");
    EXPECT_FALSE(c.has("video"));
}

}  // namespace
