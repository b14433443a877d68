// The Memory Manager as the plug-in uses it: handles that grow and move,
// copies, and MemError after each kind of failure.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "memory/memory_manager.h"

using namespace qtrt;

namespace {

// The handle's bytes as a string.
std::string contents(Handle h) {
    return std::string(*h, size_t(GetHandleSize(h)));
}

}  // namespace

TEST(Handles, GrowKeepsContentsAndHandleWhileBlockMoves) {
    Handle h = NewHandleClear(4);
    ASSERT_NE(h, nullptr);
    std::memcpy(*h, "abcd", 4);
    SetHandleSize(h, 1 << 20);
    ASSERT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h), 1 << 20);
    EXPECT_EQ(std::string(*h, 4), "abcd");
    SetHandleSize(h, 2);
    EXPECT_EQ(contents(h), "ab");
    DisposeHandle(h);
    EXPECT_EQ(MemError(), noErr);
}

TEST(Handles, LockedHandleCannotGrowButCanShrink) {
    Handle h = NewHandle(16);
    ASSERT_NE(h, nullptr);
    HLock(h);
    Ptr block = *h;
    SetHandleSize(h, 4096);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(GetHandleSize(h), 16);
    SetHandleSize(h, 8);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(*h, block);
    HUnlock(h);
    SetHandleSize(h, 4096);
    EXPECT_EQ(MemError(), noErr);
    DisposeHandle(h);
}

// A call that fails, given a live handle it may use.
struct failing_call {
    const char* name;
    std::function<void(Handle live)> call;
    OSErr expected;
};

class MemErrorAfterFailure : public ::testing::TestWithParam<failing_call> {};

TEST_P(MemErrorAfterFailure, ReportsTheFailure) {
    Handle live = NewHandle(1);  // leaves noErr behind
    ASSERT_EQ(MemError(), noErr);
    GetParam().call(live);
    EXPECT_EQ(MemError(), GetParam().expected);
    DisposeHandle(live);
}

Handle disposed_handle() {
    Handle h = NewHandle(8);
    DisposeHandle(h);
    return h;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, MemErrorAfterFailure,
    ::testing::Values(
        failing_call{"NewHandleNegative", [](Handle) { EXPECT_EQ(NewHandle(-1), nullptr); },
                     paramErr},
        failing_call{"NewHandleHuge",
                     [](Handle) { EXPECT_EQ(NewHandle(0x7FFFFFF0), nullptr); }, memFullErr},
        failing_call{"GetHandleSizeDisposed",
                     [](Handle) { EXPECT_EQ(GetHandleSize(disposed_handle()), 0); },
                     nilHandleErr},
        failing_call{"PtrAndHandNull",
                     [](Handle) { EXPECT_EQ(PtrAndHand("a", nullptr, 1), nilHandleErr); },
                     nilHandleErr},
        failing_call{"GetPtrSizeForeign",
                     [](Handle) {
                         char local[4];
                         EXPECT_EQ(GetPtrSize(local), 0);
                     },
                     paramErr}),
    [](const ::testing::TestParamInfo<failing_call>& info) { return info.param.name; });

