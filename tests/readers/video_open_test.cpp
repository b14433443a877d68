// Opening the video reader: which track it takes, the sizes it gathers from
// the track and the image extensions, and the frame rate.
#include <gtest/gtest.h>

#include "importer/frame_rate.h"
#include "importer/image_extensions.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;
using test_movie::extension;
using test_movie::fourcc;

TEST(VideoOpen, TakesTheFirstVisualTrackWithVideoMedia) {
    test_movie::movie_plan plan;
    test_movie::track_plan& text = plan.add_video(fourcc("text"), 100, 50);
    text.handler = fourcc("text");
    text.add_samples(5, 16, 60);
    plan.add_video(fourcc("jpeg"), 640, 360, {}).add_samples(5, 100, 60);
    movie_ptr movie = open_built(plan);
    video_track video;
    ASSERT_TRUE(open_track(movie, video));
    EXPECT_EQ(video.codec(), fourcc("jpeg"));
    EXPECT_EQ(video.coded_width(), 640);
    EXPECT_EQ(video.coded_height(), 360);
}

struct display_case {
    const char* name;
    int16_t coded_width;
    int16_t coded_height;
    double track_width;
    double track_height;
    std::vector<extension> extensions;
    int32_t display_width;
    int32_t display_height;
};

// The cases the real movies do not hold. (A 4:3 'pasp', and a 'clap' beside
// one: the conformance test.)
class DisplaySize : public testing::TestWithParam<display_case> {};

TEST_P(DisplaySize, FromAspectApertureAndTrackSize) {
    const display_case& c = GetParam();
    test_movie::movie_plan plan;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, c.coded_width, c.coded_height,
                                               c.extensions);
    t.width = int32_t(c.track_width * 65536.0);
    t.height = int32_t(c.track_height * 65536.0);
    t.add_samples(3, 100, 20);
    movie_ptr movie = open_built(plan);
    video_track video;
    ASSERT_TRUE(open_track(movie, video));
    EXPECT_EQ(video.coded_width(), c.coded_width);
    EXPECT_EQ(video.coded_height(), c.coded_height);
    EXPECT_EQ(video.display_width(), c.display_width);
    EXPECT_EQ(video.display_height(), c.display_height);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, DisplaySize,
    testing::Values(
        display_case{"PaspUsesOnlyLow16BitsOfSpacing", 720, 480, 720, 480,
                     {{fourcc("pasp"), test_movie::pasp(0x10004, 0x20003)}}, 960, 480},
        display_case{"PaspWithZeroSpacingFallsBackToTrackSize", 720, 480, 853.3, 480,
                     {{fourcc("pasp"), test_movie::pasp(0, 3)}}, 853, 480},
        display_case{"TrackWidthRoundingToCodedKeepsCodedSize", 640, 480, 640.4, 480, {}, 640,
                     480},
        display_case{"WiderTrackGivesTrackSize", 720, 480, 853.3, 480, {}, 853, 480}),
    [](const testing::TestParamInfo<display_case>& info) { return info.param.name; });

TEST(CleanAperture, ZeroDenominatorGivesNoSide) {
    const test_movie::bytes payload = test_movie::clap(720, 0, 0xFFFFFFFF, 1);
    clean_aperture aperture;
    ASSERT_TRUE(read_clean_aperture(payload.data(), payload.size(), aperture));
    EXPECT_EQ(aperture.width, 0.0);
    EXPECT_EQ(aperture.height, 4294967295.0);
    EXPECT_FALSE(read_clean_aperture(payload.data(), 12, aperture));
}

// No samples: the first method answers 0.0 and that counts as success.
TEST(VideoFrameRate, MediaWithoutSamplesGivesZero) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 320, 240);
    movie_ptr movie = open_built(plan);
    video_track video;
    ASSERT_TRUE(open_track(movie, video));
    EXPECT_EQ(video.frame_rate(), 0.0);
}

// The second method counts the movie's frame steps from time 0, the last
// search (which finds none) included: one count per frame.
TEST(VideoFrameRate, StepsOverMovieDuration) {
    test_movie::movie_plan plan;
    plan.time_scale = 600;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(25, 100, 24);
    movie_ptr movie = open_built(plan);
    ASSERT_NE(movie, nullptr);
    double rate = 0.0;
    ASSERT_TRUE(frame_rate_from_steps(movie.get(), rate));
    EXPECT_DOUBLE_EQ(rate, 25.0);
}

}  // namespace
