// The time codes the video reader takes from a movie's time code track: the
// start, every frame's, the reel name and the 59.94 drop-frame count.
#include <gtest/gtest.h>

#include "importer/timecode_mode.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

// The frame count is reduced by a day before advancing: that only holds if a
// day of the host's counting is exactly that many frames.
class DayOfFrames : public testing::TestWithParam<uint32_t> {};

TEST_P(DayOfFrames, ReducedCountLandsWhereAdvancingOneByOneDoes) {
    const uint32_t mode = GetParam();
    kolmbase::timecode stepped(mode);
    const int64_t near_a_day = 24LL * 3600 * 60 + 7;  // more than a day in every mode here
    for (int64_t i = 0; i < near_a_day; ++i) stepped.advance();
    EXPECT_EQ(timecode_after_frames(mode, near_a_day), stepped) << stepped.to_string();
}

INSTANTIATE_TEST_SUITE_P(Modes, DayOfFrames, testing::Values(0x703Cu, 0x701Eu, 25u, 0x601Eu));

// Video of frames 'frames' long at time scale 'scale', with a time code track
// of the given definition counting from 'start' (one sample covering all).
test_movie::movie_plan time_coded_movie(int32_t flags, int32_t scale, int32_t frame_duration,
                                        uint8_t fps, int32_t start, uint32_t frames,
                                        const std::string& reel) {
    test_movie::movie_plan movie;
    movie.time_scale = scale;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.time_scale = scale;
    video.add_samples(frames, 64, uint32_t(frame_duration));
    movie.add_time_code(flags, scale, frame_duration, fps, reel, {start}, frames);
    return movie;
}

TEST(MovieTimeCode, StartTimeCodeAndReelNameComeFromTheTimeCodeTrack) {
    // 01:00:00:00 at 25 fps is frame 90,000.
    movie_ptr movie = open_built(time_coded_movie(0, 2500, 100, 25, 90000, 10, "A001"));
    video_track video;
    ASSERT_TRUE(open_track(movie, video));
    EXPECT_EQ(video.timecode(), kolmbase::timecode(25, 1, 0, 0, 0, 1));
    EXPECT_EQ(video.reel_name(), "A001");
}

TEST(MovieTimeCode, NoTimeCodeTrackLeavesModeOneAndNoReelName) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 64, 20);
    movie_ptr movie = open_built(plan);
    video_track video;
    ASSERT_TRUE(open_track(movie, video, 0.0, 1.0));
    EXPECT_EQ(video.timecode(), kolmbase::timecode(1));
    EXPECT_EQ(video.reel_name(), "");
    frame_list frames;
    read_all(video, frames);
    ASSERT_EQ(frames.size(), 5u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(static_cast<video_frame*>(frames[i])->timecode(), kolmbase::timecode(1));
}

TEST(MovieTimeCode, EachFrameCarriesTheTimeCodeOfItsMoment) {
    frame_list frames;
    read_video(time_coded_movie(0, 2500, 100, 25, 90000 + 23, 6, ""), frames);
    ASSERT_EQ(frames.size(), 6u);
    const kolmbase::timecode expected[6] = {
        {25, 1, 0, 0, 23, 1}, {25, 1, 0, 0, 24, 1}, {25, 1, 0, 1, 0, 1},
        {25, 1, 0, 1, 1, 1},  {25, 1, 0, 1, 2, 1},  {25, 1, 0, 1, 3, 1}};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(static_cast<video_frame*>(frames[i])->timecode(), expected[i])
            << "frame " << i << ": " << static_cast<video_frame*>(frames[i])->timecode().to_string();
}

// Halfway through, the time code track's definition changes to a rate
// without a mode (15 fps gives 1): those frames keep the last time code.
TEST(MovieTimeCode, FramesPastAModeTheTimeCodeLosesKeepTheLastOne) {
    test_movie::movie_plan plan = time_coded_movie(0, 2500, 100, 25, 90000, 6, "");
    test_movie::track_plan& time_code = plan.tracks[1];
    time_code.samples[0].duration = 300;
    time_code.descriptions.push_back(test_movie::time_code_description(0, 2500, 100, 15));
    test_movie::sample modeless = time_code.samples[0];
    modeless.description = 2;
    time_code.samples.push_back(modeless);
    frame_list frames;
    read_video(plan, frames);
    ASSERT_EQ(frames.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(static_cast<video_frame*>(frames[i])->timecode(),
                  kolmbase::timecode(25, 1, 0, 0, uint32_t(i < 3 ? i : 2), 1))
            << "frame " << i;
}

// 59.94 drop-frame: the first frame is the frame number counted from zero,
// every later frame one more.
TEST(MovieTimeCode, DropFrame5994IsSeededOnceAndAdvancedPerFrame) {
    const int32_t start = 215784;  // 01:00:00;00 in 59.94 drop-frame counting
    movie_ptr movie = open_built(time_coded_movie(1, 60000, 1001, 60, start, 8, ""));
    video_track video;
    ASSERT_TRUE(open_track(movie, video, 0.0, 1.0));
    EXPECT_EQ(video.timecode(), timecode_after_frames(0x703C, start));
    EXPECT_EQ(video.timecode(), kolmbase::timecode(0x703C, 1, 0, 0, 0, 0));
    frame_list frames;
    read_all(video, frames);
    ASSERT_EQ(frames.size(), 8u);
    kolmbase::timecode expected = timecode_after_frames(0x703C, start);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(static_cast<video_frame*>(frames[i])->timecode(), expected) << "frame " << i;
        expected.advance();
    }
}

}  // namespace
