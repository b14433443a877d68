// Inputs on which the movie fuzzer once found a fault
// (tests/data/fuzz_crashes): each opens or is refused cleanly, and an opened
// one can be walked.
#include <gtest/gtest.h>

#include "runtime_movie/movie_test_support.h"
#include "runtime_movie/movie_walk.h"

namespace {

using namespace movie_test;

class FuzzCrashes : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzCrashes, OpenAndWalkCleanly) {
    OSErr err = noErr;
    movie_ptr movie =
        open_path(std::string(RUV_TEST_DATA_DIR) + "/fuzz_crashes/" + GetParam() + ".mov", &err);
    if (err != noErr) {
        EXPECT_EQ(movie, nullptr);
        return;
    }
    walk_movie(movie.get());
}

// empty_url_reference: a 'url ' data reference without any bytes.
// huge_edit_media_time: an edit whose media time and duration overflow the
// 64-bit time arithmetic.
INSTANTIATE_TEST_SUITE_P(Inputs, FuzzCrashes,
                         ::testing::Values("empty_url_reference", "huge_edit_media_time"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
