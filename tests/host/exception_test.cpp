// Messages the importer formats for its exceptions: any length.
#include <gtest/gtest.h>

#include "lib/ruv/CException.h"

namespace {

TEST(String, FormatHasNoLengthLimit) {
    const std::string long_text(5000, 'x');
    const Ruv::CString s = Ruv::CString::createWithFormat("<%s>", long_text.c_str());
    EXPECT_EQ(s.length(), 5002u);
    EXPECT_EQ(s.str().back(), '>');
    EXPECT_TRUE(Ruv::CString(static_cast<const char*>(nullptr)).isEmpty());
}

}  // namespace
