// The track base: names and defaults, the frame queue, the time shift, and
// the start times that put every track on the video's time line.
#include <gtest/gtest.h>

#include "importer/track.h"
#include "importer/track_audio.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

// The base alone, to see what it does on its own.
class bare_track : public track {
public:
    int open(Movie) override { return 0; }
    int read() override { return 0; }
    int seek(double, double) override { return 0; }
    int flush() override { return 0; }
    int reset() override {
        reset_run();
        return 0;
    }
    void prepare() override {}
};

frame* chunk(double display, double decode, uint32_t size = 8) {
    return audio_frame::create(size, display, decode, 0.04, 0);
}

TEST(TrackModel, NewTracksAreNamedByKindActiveAndUnexported) {
    bare_track base;
    video_track video;
    audio_track audio;
    EXPECT_STREQ(base.name(), "UNKNOWN");
    EXPECT_EQ(base.kind(), track::kind_none);
    EXPECT_STREQ(video.name(), "video");
    EXPECT_EQ(video.kind(), track::kind_video);
    EXPECT_STREQ(audio.name(), "audio");
    EXPECT_EQ(audio.kind(), track::kind_audio);
    for (const track* t : {static_cast<const track*>(&video), static_cast<const track*>(&audio)}) {
        EXPECT_TRUE(t->is_active());
        EXPECT_FALSE(t->is_enabled());
        EXPECT_EQ(t->queue_index(), -1);
    }
}

// The shift is a float: 0.1 arrives as the float nearest 0.1, widened. The
// decode time keeps its own value, shifted alike.
TEST(TrackQueue, PushAddsTheFloatShiftToBothTimesAndKeepsOrder) {
    bare_track t;
    t.set_time_shift(0.1f);
    ASSERT_TRUE(t.push_frame(chunk(2.5, 2.4)));
    ASSERT_TRUE(t.push_frame(chunk(2.54, 2.44)));
    frame* first = t.pop_frame();
    frame* second = t.pop_frame();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->display_time(), 2.5 + double(0.1f));
    EXPECT_NE(first->display_time(), 2.5 + 0.1);
    EXPECT_EQ(first->decode_time(), double(0.1f) + 2.4);
    EXPECT_EQ(second->display_time(), 2.54 + double(0.1f));
    release_frame(first, true);
    release_frame(second, true);
}

TEST(TrackQueue, PopOnEmptyQueueReturnsNull) {
    bare_track t;
    EXPECT_EQ(t.pop_frame(), nullptr);
    ASSERT_TRUE(t.push_frame(nullptr));
    EXPECT_EQ(t.queued_frames(), 0u);
    EXPECT_EQ(t.pop_frame(), nullptr);
}

// Before a movie is opened: video answers 3 (no movie) to open and read and
// cannot seek; audio cannot read, and its seek sets only the end time.
TEST(UnopenedTrack, VideoAnswersNoMovieAndCannotSeek) {
    video_track video;
    EXPECT_EQ(video.open(nullptr), 3);
    EXPECT_EQ(video.read(), 3);
    EXPECT_EQ(video.seek(0.0, 1.0), 1);
}

TEST(UnopenedTrack, AudioSeekSetsOnlyTheEndTimeAndReadFails) {
    audio_track audio;
    EXPECT_EQ(audio.open(nullptr), 3);
    EXPECT_EQ(audio.seek(1.0, 2.0), 0);
    EXPECT_EQ(audio.end_time(), 2.0);
    EXPECT_EQ(audio.start_time(), 0.0);
    EXPECT_EQ(audio.read(), 1);
}

// Video at 25 fps (time scale 1000) with sync samples every 2 s; its first
// edit shows the media from 2.5 s. Sound beside it, 48 kHz stereo.
test_movie::movie_plan shifted_movie() {
    test_movie::movie_plan movie;
    movie.time_scale = 1000;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.time_scale = 1000;
    video.add_samples(150, 100, 40, false);
    for (size_t i = 0; i < video.samples.size(); i += 50) video.samples[i].sync = true;
    video.add_edit(3500, 2500);
    test_movie::track_plan& sound = movie.add_sound(test_movie::kTwos, 2, 16, 48000);
    sound.add_samples(48000 * 3, 4, 1);
    sound.samples_per_chunk = 4800;
    sound.constant_size = true;
    return movie;
}

// The first edit starts at 2.5 s of media, the sync sample before it at
// 2.0 s. With the importer's alignment (video by minus the sync start, sound
// by the edit start less the sync start), video starts at its sync sample at
// 0 and sound at +0.5 s.
TEST(TrackStartTimes, AlignmentShiftsVideoBackAndSoundForward) {
    movie_ptr movie = open_built(shifted_movie());
    ASSERT_NE(movie, nullptr);
    video_track video;
    audio_track audio;
    ASSERT_EQ(video.open(movie.get()), 0);
    ASSERT_EQ(audio.open(movie.get()), 0);
    EXPECT_FLOAT_EQ(video.edit_start(), 2.5f);
    EXPECT_FLOAT_EQ(video.sync_start(), 2.0f);
    video.set_time_shift(-video.sync_start());
    audio.set_time_shift(video.edit_start() - video.sync_start());

    ASSERT_EQ(video.seek(0.0, 10.0), 0);
    ASSERT_EQ(audio.seek(0.0, 10.0), 0);
    ASSERT_EQ(video.read(), 0);
    ASSERT_EQ(audio.read(), 0);
    frame_list frames;
    drain(video, frames);
    drain(audio, frames);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_NEAR(frames[0]->decode_time(), 0.0, 1e-6);
    EXPECT_NEAR(frames[0]->display_time(), 0.0, 1e-6);
    EXPECT_NEAR(frames[1]->display_time(), 0.5, 1e-6);
    EXPECT_NEAR(frames[1]->decode_time(), 0.5, 1e-6);
}

}  // namespace
