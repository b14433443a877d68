// The entry routine's three selector ranges: which calls it can do and what
// it answers outside them.
#include <gtest/gtest.h>

#include "datahandler/datahandler_test_support.h"

using dh_test::call_entry;

namespace {

constexpr int16_t kCanDo = -3;
constexpr int16_t kVersion = -4;

TEST(DispatchTable, CanDoAndTheEntryAnswerFromTheTable) {
    for (int16_t selector : {-1, -4, 0x08, 0x2E, 0x3E}) {
        EXPECT_EQ(1, call_entry(nullptr, kCanDo, {selector})) << selector;
    }
    // 0x4F and 0x111 reach unimplemented entries; the others lie outside the
    // ranges.
    for (int selector :
         {-5, -6, -7, 0x02, 0x4F, 0x50, 0xFF, 0x100, 0x111, 0x112, 0x200, 0x7FFF, -32768}) {
        EXPECT_EQ(0, call_entry(nullptr, kCanDo, {selector})) << selector;
        EXPECT_EQ(badComponentSelector, call_entry(nullptr, int16_t(selector), {0, 0})) << selector;
    }
    EXPECT_EQ(0x10000, call_entry(nullptr, kVersion, {}));
}

}  // namespace
