#include <gtest/gtest.h>

#include "lib/ruv/CException.h"

namespace {

TEST(Exception, DescribeNamesWhereAndWhy) {
    const Ruv::CException e("apple_qt", 42, "component/importer/any/apple_qt/apple_qt",
                            "apple_qt::preflight",
                            Ruv::CString::createWithFormat("cannot open '%s'", "x.mov"));
    EXPECT_EQ(e.describe().str(),
              "apple_qt in apple_qt::preflight (component/importer/any/apple_qt/apple_qt:42): "
              "cannot open 'x.mov'");
    EXPECT_STREQ(e.what(), e.describe().c_str());
    EXPECT_EQ(e.getLine(), 42);
}

TEST(String, FormatHasNoLengthLimit) {
    const std::string long_text(5000, 'x');
    const Ruv::CString s = Ruv::CString::createWithFormat("<%s>", long_text.c_str());
    EXPECT_EQ(s.length(), 5002u);
    EXPECT_EQ(s.str().back(), '>');
    EXPECT_TRUE(Ruv::CString(static_cast<const char*>(nullptr)).isEmpty());
}

}  // namespace
