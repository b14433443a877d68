// The entry routine's three selector ranges: which calls it can do, what it
// answers outside them, and the parameter layout of each implemented call.
#include <gtest/gtest.h>

#include "datahandler/data_handler_entry.h"
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

TEST(DispatchTable, ImplementedCallsCarryQuickTimesLayoutWords) {
    const std::pair<int16_t, uint32_t> rows[] = {
        {-1, 0x3F0},  {-2, 0x3F0},  {-3, 0x2F0},    {-4, 0xF0},    {0x08, 0xF0},   {0x09, 0xF0},
        {0x0A, 0x3F0}, {0x0B, 0x3F0}, {0x0C, 0xFF0}, {0x0E, 0xFFFF0}, {0x13, 0xFF0}, {0x25, 0x3F0},
        {0x2D, 0x3F0}, {0x2E, 0xFFFF0}, {0x30, 0x3F0}, {0x3E, 0x2FF0}};
    for (const auto& row : rows) {
        const datahandler::dispatch_entry* entry = datahandler::find_dispatch_entry(row.first);
        ASSERT_NE(nullptr, entry) << row.first;
        EXPECT_EQ(row.second, entry->layout) << row.first;
    }
    const datahandler::dispatch_entry* unimplemented = datahandler::find_dispatch_entry(0x01);
    ASSERT_NE(nullptr, unimplemented);
    EXPECT_EQ(datahandler::kNotImplemented, unimplemented->routine);
    EXPECT_EQ(0u, unimplemented->layout);
}

TEST(DispatchTable, VersionIsAnsweredThroughTheEntry) {
    EXPECT_EQ(0x10000, call_entry(nullptr, -4, {}));
}

}  // namespace
