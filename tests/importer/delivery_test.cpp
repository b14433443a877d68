// Delivery through the importer's interface: runloop and processNextFrame,
// the counters, the frames the host receives, setTime and notifications.
#include <gtest/gtest.h>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;
using frame_list = std::vector<Ruv::RPtr<const Ruv::CM::RFrame>>;

const Ruv::CM::RVideoFrame& as_video(const Ruv::RPtr<const Ruv::CM::RFrame>& f) {
    return static_cast<const Ruv::CM::RVideoFrame&>(*f);
}

TEST(Runloop, DeliversEveryFrameCountsThemAndEndsTheQueue) {
    harness h(importer_test::video_movie(fourcc("avc1"), 12, 50), "runloop_counts");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    EXPECT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_EQ(frames.size(), 12u);
    Ruv::CM::CComponentStatus status = h.importer().getStatus();
    EXPECT_EQ(status.getStatusCode(), 5u);
    EXPECT_EQ(status.getNumberOfFrames(), 12u);
    EXPECT_EQ(status.getNumberOfBytes(), 12u * 1000u);
    EXPECT_TRUE(h.queue(0).isEnded());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i]->getSequenceNumber(), i);
        EXPECT_EQ(frames[i]->getDataFormat(), fourcc("avc1"));
        EXPECT_NEAR(frames[i]->getTimeStamp().getSecondsAsDouble(), i * 50 / 600.0, 1e-9);
        EXPECT_NEAR(frames[i]->getDecodeTime().getSecondsAsDouble(), i * 50 / 600.0, 1e-9);
        EXPECT_NEAR(frames[i]->getDuration().getSecondsAsDouble(), 50 / 600.0, 1e-9);
    }
}

TEST(Runloop, KeyFramesAreTypeIAndOthersTypeP) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 6, 50);
    for (size_t i = 0; i < 6; ++i) movie.tracks[0].samples[i].sync = i % 3 == 0;
    harness h(movie, "frame_types");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_EQ(frames.size(), 6u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(as_video(frames[i]).getFrameType(),
                  i % 3 == 0 ? unsigned(Ruv::CM::RVideoFrame::kKeyFrame)
                             : unsigned(Ruv::CM::RVideoFrame::kPredicted))
            << i;
}

// A first sample shown a few units before 0 and lasting just as long: the
// reader leaves its time negative and the importer decides.
test_movie::movie_plan early_first_sample(int32_t units_before_zero) {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(fourcc("avc1"), 320, 240);
    video.time_scale = 2000000;
    test_movie::sample first;
    first.size = 700;
    first.duration = uint32_t(units_before_zero);
    first.composition_offset = -units_before_zero;
    video.samples.push_back(first);
    video.add_samples(4, 500, 80000);
    return movie;
}

struct early_case {
    const char* name;
    int32_t units_before_zero;  // of 1/2,000,000 s
    size_t delivered;
    uint32_t first_size;
    double first_time;
    unsigned bytes;
};

class TimeStampBeforeZero : public ::testing::TestWithParam<early_case> {};

// Half a microsecond before zero counts as zero; ten microseconds before
// zero drops the frame uncounted.
TEST_P(TimeStampBeforeZero, IsTakenAsZeroOrDroppedUncounted) {
    const early_case& c = GetParam();
    harness h(early_first_sample(c.units_before_zero), std::string("early_") + c.name);
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_EQ(frames.size(), c.delivered);
    EXPECT_EQ(frames[0]->getDataLength(), c.first_size);
    EXPECT_DOUBLE_EQ(frames[0]->getTimeStamp().getSecondsAsDouble(), c.first_time);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), c.delivered);
    EXPECT_EQ(h.importer().getStatus().getNumberOfBytes(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, TimeStampBeforeZero,
    ::testing::Values(early_case{"half_microsecond", 1, 5, 700, 0.0, 700 + 4 * 500},
                      early_case{"ten_microseconds", 20, 4, 500, 0.00001, 4 * 500}),
    [](const ::testing::TestParamInfo<early_case>& info) { return std::string(info.param.name); });

// processNextFrame sets no time to zero: a frame shown ten microseconds
// before zero is released and the next one given.
TEST(ProcessNextFrame, FrameShownBeforeZeroIsReleasedAndTheNextGiven) {
    harness h(early_first_sample(20), "pull_early");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::CM::RFrame* frame = h.importer().processNextFrame(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getDataLength(), 500u);
    EXPECT_EQ(frame->getSequenceNumber(), 1u);
}

// The video track shows its media from 0.1 s, a sync sample: shifted back by
// that time held as a float, the first frame lands 1.5e-9 s before zero,
// which runloop delivers at zero, decode time included.
TEST(Runloop, FirstFrameARoundingBeforeZeroIsDeliveredAtZero) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 10, 60);
    movie.tracks[0].add_edit(540, 60);
    harness h(movie, "rounding_before_zero");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0]->getTimeStamp().getSecondsAsDouble(), 0.0);
    EXPECT_EQ(frames[0]->getDecodeTime().getSecondsAsDouble(), 0.0);
    EXPECT_NEAR(frames[1]->getDecodeTime().getSecondsAsDouble(), 0.1, 1e-6);
}

// A video track whose first sample's bytes lie past the end of the file: the
// reader fails before it produces any frame.
test_movie::bytes movie_without_readable_video() {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 10, 60);
    movie.movie_first = true;
    test_movie::bytes file = test_movie::build_movie(movie).contiguous();
    file.resize(file.size() - 9500);
    return file;
}

TEST(Runloop, ExportedReaderWithoutFramesThrowsAndLeavesItsQueueOpen) {
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/delivery_unreadable.mov";
    ASSERT_TRUE(test_movie::write_bytes(movie_without_readable_video(), path));
    harness h(path);
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    importer_test::expect_importer_exception([&] { h.runloop(); }, 1445, "apple_qt::runloop",
                                             "No frames imported for video track 0");
    EXPECT_FALSE(h.queue(0).isEnded());
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 3u);
}

// A configured range that holds no frame is no failure: the sample that ends
// the run counts, though it is not delivered.
TEST(Runloop, RangeWithoutFramesEndsWithoutError) {
    harness h(importer_test::video_movie(fourcc("avc1"), 10, 60), "empty_range");
    h.set("video", "0");
    h.set("end-time", "0");
    ASSERT_TRUE(h.open());
    EXPECT_EQ(h.runloop(), 0);
    EXPECT_TRUE(h.queue(0).isEnded());
    EXPECT_TRUE(h.take_frames(0).empty());
}

TEST(Runloop, AudioReaderWithoutFramesThrowsAfterTheVideoQueueEnded) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 5, 60);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000);
    harness h(movie, "no_audio_frames");
    h.set("video", "0");
    h.set("audio", "1");
    ASSERT_EQ(h.preflight(), 0);
    ASSERT_EQ(h.importer().getMovieInfo()->getTrackCount(), 2u) << "no audio reader for an empty sound track";
    ASSERT_EQ(h.configure(), 0);
    importer_test::expect_importer_exception([&] { h.runloop(); }, 1445, "apple_qt::runloop",
                                             "No frames imported for audio track 1");
    EXPECT_TRUE(h.queue(0).isEnded());
    EXPECT_FALSE(h.queue(1).isEnded());
    EXPECT_EQ(h.take_frames(0).size(), 5u);
}

// One second of 25 video frames and of 48 kHz stereo sound.
test_movie::movie_plan video_and_sound_movie() {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 25, 24);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    return movie;
}

// 30 fps video beside 48 kHz stereo sound: every sound chunk lasts one video
// frame, 1600 sample frames.
TEST(Runloop, SoundComesInChunksOfOneVideoFrame) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 30, 20);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    harness h(movie, "chunks");
    h.set("audio", "1");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list audio = h.take_frames(1);
    ASSERT_GE(audio.size(), 2u);
    EXPECT_EQ(audio[0]->getDataLength(), 1600u * 2 * 4);
    EXPECT_DOUBLE_EQ(audio[1]->getTimeStamp().getSecondsAsDouble() -
                         audio[0]->getTimeStamp().getSecondsAsDouble(),
                     1.0 / 30);
}

// Video whose edit shows its media from 2.5 s, with a sync sample at 2.0 s;
// sound beside it. Every stream is measured from that sync sample: video
// starts at 0, sound (which the edit does not move) at 0.5 s.
TEST(Runloop, StreamsStartFromTheVideosSyncSample) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 180, 20);
    for (size_t i = 0; i < 180; ++i) movie.tracks[0].samples[i].sync = i % 60 == 0;
    movie.tracks[0].add_edit(2100, 1500);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(96000, 4, 1);
    harness h(movie, "aligned");
    h.set("video", "0");
    h.set("audio", "1");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list video = h.take_frames(0);
    frame_list audio = h.take_frames(1);
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(audio.empty());
    EXPECT_DOUBLE_EQ(video[0]->getTimeStamp().getSecondsAsDouble(), 0.0);
    EXPECT_DOUBLE_EQ(video[0]->getDecodeTime().getSecondsAsDouble(), 0.0);
    EXPECT_DOUBLE_EQ(audio[0]->getTimeStamp().getSecondsAsDouble(), 0.5);
}

TEST(Runloop, VideoAndAudioAlternateOneFrameEachVideoFirst) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    harness h(video_and_sound_movie(), "alternate");
    h.set("video", "0");
    h.set("audio", "0");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_GE(frames.size(), 10u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(frames[i]->getKind(),
                  i % 2 == 0 ? Ruv::CM::RFrame::kVideo : Ruv::CM::RFrame::kAudio)
            << i;
}

TEST(Runloop, OnlyAudioExportedEndsOnlyTheAudioQueue) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    harness h(video_and_sound_movie(), "only_audio");
    h.set("audio", "1");
    ASSERT_TRUE(h.open());
    ASSERT_EQ(h.runloop(), 0);
    EXPECT_TRUE(h.take_frames(0).empty());
    EXPECT_FALSE(h.queue(0).isEnded());
    EXPECT_TRUE(h.queue(1).isEnded());
    frame_list audio = h.take_frames(1);
    ASSERT_FALSE(audio.empty());
    EXPECT_EQ(audio[0]->getDataFormat(), fourcc("f32b"));
    EXPECT_EQ(audio.back()->getDecodeTime(), audio.back()->getTimeStamp());
    EXPECT_GT(audio.back()->getTimeStamp().getSecondsAsDouble(), 0.5);
}

TEST(ProcessNextFrame, GivesOneFrameOfTheQueueAndCountsNothing) {
    harness h(importer_test::video_movie(fourcc("avc1"), 5, 60), "pull_one");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::CM::RFrame* frame = h.importer().processNextFrame(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getSequenceNumber(), 0u);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 5u);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    frame_list queued = h.take_frames(0);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].get(), frame);
    EXPECT_FALSE(h.queue(0).isEnded());
}

TEST(ProcessNextFrame, QueueNobodyFeedsGivesNullAfterTenPassesAndLosesTheirFrames) {
    harness h(importer_test::video_movie(fourcc("avc1"), 30, 20), "pull_unfed");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    EXPECT_EQ(h.importer().processNextFrame(3), nullptr);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 5u);
    EXPECT_TRUE(h.take_frames(0).empty());
    Ruv::CM::RFrame* next = h.importer().processNextFrame(0);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->getSequenceNumber(), 10u);
}

// The reset notification empties every reader, which numbers its frames
// from zero again, and zeroes the counters; other codes change nothing.
TEST(Notification, ResetRestartsTheReadersAndZeroesTheCounters) {
    harness h(importer_test::video_movie(fourcc("avc1"), 8, 60), "reset");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::CM::CNotification other(fourcc("abcd"));
    Ruv::CM::CNotification reset(fourcc("rstr"));
    ASSERT_NE(h.importer().processNextFrame(0), nullptr);
    EXPECT_EQ(h.importer().handleNotification(other), 0);
    Ruv::CM::RFrame* second = h.importer().processNextFrame(0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getSequenceNumber(), 1u);
    EXPECT_EQ(h.importer().handleNotification(reset), 0);
    Ruv::CM::RFrame* third = h.importer().processNextFrame(0);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->getSequenceNumber(), 0u);
    EXPECT_DOUBLE_EQ(third->getTimeStamp().getSecondsAsDouble(), 0.2);

    ASSERT_EQ(h.runloop(), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 5u);
    EXPECT_EQ(h.importer().handleNotification(other), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 5u);
    EXPECT_EQ(h.importer().handleNotification(reset), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    EXPECT_EQ(h.importer().getStatus().getNumberOfBytes(), 0u);
}

class SetTime : public ::testing::TestWithParam<unsigned> {};

TEST_P(SetTime, MovesEveryReaderWhateverTheTrackArgument) {
    // 40 key frames of half a second.
    harness h(importer_test::video_movie(fourcc("avc1"), 40, 300),
              "set_time_" + std::to_string(GetParam()));
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    EXPECT_EQ(h.importer().setTime(GetParam(), 12.5), 0);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 1u);
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_DOUBLE_EQ(frames[0]->getTimeStamp().getSecondsAsDouble(), 12.5);
}

INSTANTIATE_TEST_SUITE_P(Tracks, SetTime, ::testing::Values(0u, 7u));

}  // namespace
