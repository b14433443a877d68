// A QuickTime runtime older than 7.0 opens no movie. Its own program, so
// that no other test has loaded the current runtime into the process first.
#include <gtest/gtest.h>

#include <cstdlib>

#include "importer/importer_harness.h"

namespace {

TEST(OldRuntime, Version65MakesPreflightAnswerMinusOne) {
    std::string folder = std::string(RUV_OUTPUT_DIR) + "/qt-6.5";
    setenv("RUV_SYSTEM_DIR", folder.c_str(), 1);
    importer_test::harness h(importer_test::video_movie(test_movie::fourcc("avc1")), "old_runtime");
    EXPECT_EQ(h.preflight(), -1);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 0u);
    EXPECT_TRUE(h.importer().getMovieInfo().isNull());
}

}  // namespace
