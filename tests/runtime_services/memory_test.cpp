// The Memory Manager as the plug-in uses it: handles that grow and move,
// copies, and MemError after each kind of failure.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

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

// Each kind of failure leaves its error for MemError, after a call that left
// noErr behind.
TEST(MemError, ReportsEachKindOfFailure) {
    char local[4];
    const std::pair<std::function<bool()>, OSErr> calls[] = {
        {[] { return NewHandle(-1) == nullptr; }, paramErr},
        {[] { return NewHandle(0x7FFFFFF0) == nullptr; }, memFullErr},
        {[] {
             Handle disposed = NewHandle(8);
             DisposeHandle(disposed);
             return GetHandleSize(disposed) == 0;
         },
         nilHandleErr},
        {[] { return PtrAndHand("a", nullptr, 1) == nilHandleErr; }, nilHandleErr},
        {[&] { return GetPtrSize(local) == 0; }, paramErr},
    };
    for (size_t i = 0; i < std::size(calls); ++i) {
        Handle live = NewHandle(1);
        ASSERT_EQ(MemError(), noErr);
        EXPECT_TRUE(calls[i].first()) << "call " << i;
        EXPECT_EQ(MemError(), calls[i].second) << "call " << i;
        DisposeHandle(live);
    }
}
