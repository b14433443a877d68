// Inputs on which the movie fuzzer once found a fault
// (tests/data/fuzz_crashes): each opens or is refused cleanly, and an opened
// one can be walked.
#include <gtest/gtest.h>

#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

class FuzzCrashes : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzCrashes, OpenAndWalkCleanly) {
    Movie movie = nullptr;
    OSErr err = open_movie(std::string(RUV_TEST_DATA_DIR) + "/fuzz_crashes/" + GetParam() + ".mov", movie);
    movie_ptr owner(movie);
    if (err != noErr) {
        EXPECT_EQ(movie, nullptr);
        return;
    }
    std::vector<uint8_t> data(4096);
    for (int32_t i = 1; i <= qtrt::GetMovieTrackCount(movie); ++i) {
        Media media = qtrt::GetTrackMedia(qtrt::GetMovieIndTrack(movie, i));
        int n = 0;
        for (TimeValue64 t = next_time(media, 0x4001, 0, kForward); t >= 0 && n < 1000;
             t = next_time(media, 0x1, t, kForward), ++n)
            qtrt::GetMediaSample2(media, data.data(), ByteCount(data.size()), nullptr, t, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr);
    }
}

// empty_url_reference: a 'url ' data reference without any bytes.
INSTANTIATE_TEST_SUITE_P(Inputs, FuzzCrashes, ::testing::Values("empty_url_reference"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
