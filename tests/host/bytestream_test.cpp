// The bounded byte reader every parser goes through: a read past the end
// fails and leaves the reader failed; a sub-reader cannot see past its range.
#include <gtest/gtest.h>

#include "lib/kolmbase/bytestream.h"

namespace {

using kolmbase::bytestream::rd;

TEST(ByteReader, ReadPastEndFailsAndStaysFailed) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    rd r(bytes, sizeof bytes);
    uint32_t v = 0;
    EXPECT_TRUE(r.u32be(v));
    EXPECT_EQ(v, 0x01020304u);
    EXPECT_FALSE(r.u32le(v));
    EXPECT_TRUE(r.failed());
    uint8_t b = 0;
    EXPECT_FALSE(r.u8(b));
    rd skipping(bytes, sizeof bytes);
    skipping.skip(2);
    EXPECT_FALSE(skipping.skip(SIZE_MAX));
    EXPECT_TRUE(skipping.failed());
}

TEST(ByteReader, SubReaderIsBoundedAndAdvancesParent) {
    const uint8_t bytes[] = {0, 0, 0, 9, 0xAA, 0xBB};
    rd r(bytes, sizeof bytes);
    rd inner = r.sub(4);
    uint32_t v = 0;
    EXPECT_TRUE(inner.u32be(v));
    EXPECT_EQ(v, 9u);
    EXPECT_FALSE(inner.skip(1));
    EXPECT_EQ(r.position(), 4u);
    rd past = r.sub(3);
    EXPECT_TRUE(past.failed());
    EXPECT_TRUE(r.failed());
}

}  // namespace
