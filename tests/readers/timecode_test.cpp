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

// 01:00:00:23 at 25 fps (frame 90,023), reel "A001".
test_movie::movie_plan pal_movie() {
    return time_coded_movie(0, 2500, 100, 25, 90000 + 23, 6, "A001");
}

// Halfway through, the time code track's definition changes to a rate
// without a mode (15 fps gives 1).
test_movie::movie_plan mode_lost_movie() {
    test_movie::movie_plan plan = time_coded_movie(0, 2500, 100, 25, 90000, 6, "");
    test_movie::track_plan& time_code = plan.tracks[1];
    time_code.samples[0].duration = 300;
    time_code.descriptions.push_back(test_movie::time_code_description(0, 2500, 100, 15));
    test_movie::sample modeless = time_code.samples[0];
    modeless.description = 2;
    time_code.samples.push_back(modeless);
    return plan;
}

// 01:00:00;00 in 59.94 drop-frame counting (frame 215,784).
test_movie::movie_plan drop_frame_movie() {
    return time_coded_movie(1, 60000, 1001, 60, 215784, 8, "");
}

// count time codes from first on, one frame apart, then the last again
// `held` times.
std::vector<kolmbase::timecode> counted(kolmbase::timecode first, size_t count, size_t held = 0) {
    std::vector<kolmbase::timecode> out;
    for (; out.size() < count; first.advance()) out.push_back(first);
    out.insert(out.end(), held, out.back());
    return out;
}

struct timecode_case {
    const char* name;
    test_movie::movie_plan (*movie)();
    const char* reel;
    std::vector<kolmbase::timecode> frames;  // the first is also the track's
};

class FrameTimeCodes : public testing::TestWithParam<timecode_case> {};

// The track's time code and reel name, and each frame's time code: that of
// its moment, or the last one while the time code track has no mode.
TEST_P(FrameTimeCodes, ComeFromTheTimeCodeTrack) {
    const timecode_case& c = GetParam();
    movie_ptr movie = open_built(c.movie());
    video_track video;
    ASSERT_TRUE(open_track(movie, video, 0.0, 1.0));
    EXPECT_EQ(video.timecode(), c.frames[0]);
    EXPECT_EQ(video.reel_name(), c.reel);
    frame_list frames;
    read_all(video, frames);
    ASSERT_EQ(frames.size(), c.frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        const kolmbase::timecode got = static_cast<video_frame*>(frames[i])->timecode();
        EXPECT_EQ(got, c.frames[i]) << "frame " << i << ": " << got.to_string();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Movies, FrameTimeCodes,
    testing::Values(
        timecode_case{"Pal", pal_movie, "A001", counted({25, 1, 0, 0, 23, 1}, 6)},
        timecode_case{"ModeLostHalfway", mode_lost_movie, "", counted({25, 1, 0, 0, 0, 1}, 3, 3)},
        timecode_case{"DropFrame5994", drop_frame_movie, "", counted({0x703C, 1, 0, 0, 0, 0}, 8)}),
    [](const testing::TestParamInfo<timecode_case>& info) { return info.param.name; });

}  // namespace
