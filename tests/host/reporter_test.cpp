#include <gtest/gtest.h>

#include "lib/ruvreport/reporter.h"

namespace {

TEST(Reporter, CollectsReportsWithTheirFields) {
    ruvreport::reporter& r = ruvreport::reporter::instance();
    r.clear();
    r.set_threshold(-1);  // keep the test's output quiet
    r.report("component/importer/any/apple_qt/apple_qt", 120, 3, 6, "reading through the stream");
    const std::vector<ruvreport::report_entry> kept = r.reports();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].file, "component/importer/any/apple_qt/apple_qt");
    EXPECT_EQ(kept[0].line, 120);
    EXPECT_EQ(kept[0].kind, 3);
    EXPECT_EQ(kept[0].severity, 6);
    EXPECT_EQ(kept[0].message, "reading through the stream");
}

TEST(Reporter, PrintsOnlyAtOrBelowTheThreshold) {
    ruvreport::reporter& r = ruvreport::reporter::instance();
    r.set_threshold(6);
    ::testing::internal::CaptureStderr();
    r.report("f", 1, 3, 6, "shown");
    r.report("f", 2, 3, 7, "hidden");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[report] f:1 shown\n");
}

TEST(Reporter, KeepsTheMostRecentUpToTheLimit) {
    ruvreport::reporter& r = ruvreport::reporter::instance();
    r.clear();
    r.set_threshold(-1);
    const int total = int(ruvreport::reporter::kept_limit) + 5;
    for (int i = 0; i < total; ++i) r.report("f", i, 3, 7, "m");
    const std::vector<ruvreport::report_entry> kept = r.reports();
    ASSERT_EQ(kept.size(), ruvreport::reporter::kept_limit);
    EXPECT_EQ(kept.front().line, 5);
    EXPECT_EQ(kept.back().line, total - 1);
}

}  // namespace
