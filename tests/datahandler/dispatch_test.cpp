// The entry routine's three selector ranges: which calls it can do and what
// it answers outside them.
#include <gtest/gtest.h>

#include "datahandler/datahandler_test_support.h"

using dh_test::call_entry;

namespace {

constexpr int16_t kCanDo = -3;

struct can_do_case {
    int16_t selector;
    ComponentResult expected;
};

class CanDo : public ::testing::TestWithParam<can_do_case> {};

TEST_P(CanDo, AnswersFromTheTableThroughTheEntry) {
    EXPECT_EQ(GetParam().expected, call_entry(nullptr, kCanDo, {GetParam().selector}));
}

INSTANTIATE_TEST_SUITE_P(
    Selectors, CanDo,
    ::testing::Values(can_do_case{-1, 1}, can_do_case{-4, 1}, can_do_case{0x08, 1},
                      can_do_case{0x2E, 1}, can_do_case{0x3E, 1}, can_do_case{-5, 0},
                      can_do_case{-6, 0}, can_do_case{-7, 0}, can_do_case{0x02, 0},
                      can_do_case{0x4F, 0}, can_do_case{0x50, 0}, can_do_case{0x100, 0},
                      can_do_case{0x111, 0}, can_do_case{0x112, 0}, can_do_case{0x200, 0}),
    [](const ::testing::TestParamInfo<can_do_case>& info) {
        const int s = info.param.selector;
        return (s < 0 ? "Minus" + std::to_string(-s) : "Selector" + std::to_string(s));
    });

class UnansweredSelector : public ::testing::TestWithParam<int16_t> {};

TEST_P(UnansweredSelector, GivesBadComponentSelector) {
    EXPECT_EQ(badComponentSelector, call_entry(nullptr, GetParam(), {0, 0}));
}

// 0x4F and 0x111 reach unimplemented entries; the others lie outside the
// ranges.
INSTANTIATE_TEST_SUITE_P(Selectors, UnansweredSelector,
                         ::testing::Values(int16_t(-5), int16_t(-7), int16_t(0x02), int16_t(0x4F),
                                           int16_t(0x50), int16_t(0xFF), int16_t(0x111),
                                           int16_t(0x112), int16_t(0x200), int16_t(0x7FFF),
                                           int16_t(-32768)));

TEST(DispatchTable, VersionIsAnsweredThroughTheEntry) {
    EXPECT_EQ(0x10000, call_entry(nullptr, -4, {}));
}

}  // namespace
