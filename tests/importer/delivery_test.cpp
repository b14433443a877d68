// Delivery through the importer's interface: runloop and processNextFrame,
// the counters, the frames the host receives, setTime and notifications.
#include <gtest/gtest.h>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;
using frame_list = std::vector<Ruv::RPtr<const Ruv::CM::RFrame>>;

const harness::keys kVideo = {{"video", "0"}};

double seconds(const Ruv::CTimeStamp& t) { return t.getSecondsAsDouble(); }

// Every frame in order, key frames as type I and the others as type P; the
// counters, and the queue ended. (Each frame's times and durations against
// the movie: the reader tests and the conformance test.)
TEST(Runloop, DeliversEveryFrameCountsThemAndEndsTheQueue) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 12, 50);
    for (size_t i = 0; i < 12; ++i) movie.tracks[0].samples[i].sync = i % 3 == 0;
    harness h(movie, "runloop_counts", kVideo);
    frame_list frames = h.import();
    ASSERT_EQ(frames.size(), 12u);
    Ruv::CM::CComponentStatus status = h.importer().getStatus();
    EXPECT_EQ(status.getStatusCode(), 5u);
    EXPECT_EQ(status.getNumberOfFrames(), 12u);
    EXPECT_EQ(status.getNumberOfBytes(), 12u * 1000u);
    EXPECT_TRUE(h.queue(0).isEnded());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i]->getSequenceNumber(), i);
        EXPECT_EQ(frames[i]->getDataFormat(), fourcc("avc1"));
        EXPECT_NEAR(seconds(frames[i]->getTimeStamp()), i * 50 / 600.0, 1e-9);
        EXPECT_EQ(static_cast<const Ruv::CM::RVideoFrame&>(*frames[i]).getFrameType(),
                  i % 3 == 0 ? unsigned(Ruv::CM::RVideoFrame::kKeyFrame)
                             : unsigned(Ruv::CM::RVideoFrame::kPredicted))
            << i;
    }
}

// A first sample of 700 bytes shown a few units of 1/2,000,000 s before 0
// and lasting just as long, then four of 500: the reader leaves its time
// negative and the importer decides.
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

// runloop takes half a microsecond before zero as zero and drops ten
// microseconds before zero uncounted; processNextFrame sets no time to zero:
// it releases either frame and gives the next.
TEST(Runloop, TimeStampBeforeZeroIsTakenAsZeroOrDroppedUncounted) {
    for (int32_t units : {1, 20}) {
        SCOPED_TRACE(units);
        const bool kept = units == 1;
        harness h(early_first_sample(units), "early_" + std::to_string(units), kVideo);
        frame_list frames = h.import();
        ASSERT_EQ(frames.size(), kept ? 5u : 4u);
        EXPECT_EQ(frames[0]->getDataLength(), kept ? 700u : 500u);
        EXPECT_DOUBLE_EQ(seconds(frames[0]->getTimeStamp()), kept ? 0.0 : 0.00001);
        EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), frames.size());
        EXPECT_EQ(h.importer().getStatus().getNumberOfBytes(), (kept ? 700u : 0u) + 4 * 500);

        harness pull(early_first_sample(units), "pull_early_" + std::to_string(units), kVideo);
        ASSERT_TRUE(pull.open());
        Ruv::CM::RFrame* frame = pull.importer().processNextFrame(0);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->getDataLength(), 500u);
        EXPECT_EQ(frame->getSequenceNumber(), 1u);
    }
}

// The video track shows its media from 0.1 s, a sync sample: shifted back by
// that time held as a float, the first frame lands 1.5e-9 s before zero,
// which runloop delivers at zero, decode time included.
TEST(Runloop, FirstFrameARoundingBeforeZeroIsDeliveredAtZero) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 10, 60);
    movie.tracks[0].add_edit(540, 60);
    harness h(movie, "rounding_before_zero", kVideo);
    frame_list frames = h.import();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(seconds(frames[0]->getTimeStamp()), 0.0);
    EXPECT_EQ(seconds(frames[0]->getDecodeTime()), 0.0);
    EXPECT_NEAR(seconds(frames[1]->getDecodeTime()), 0.1, 1e-6);
}

// A video track whose first sample's bytes lie past the end of the file: the
// reader fails before it produces any frame.
TEST(Runloop, ExportedReaderWithoutFramesThrowsAndLeavesItsQueueOpen) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 10, 60);
    movie.movie_first = true;
    test_movie::bytes file = test_movie::build_movie(movie).contiguous();
    file.resize(file.size() - 9500);
    harness h(file, "unreadable", kVideo);
    ASSERT_TRUE(h.open());
    importer_test::expect_importer_exception([&] { h.runloop(); }, 1445, "apple_qt::runloop",
                                             "No frames imported for video track 0");
    EXPECT_FALSE(h.queue(0).isEnded());
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 3u);
}

// A configured range that holds no frame is no failure: the sample that ends
// the run counts, though it is not delivered.
TEST(Runloop, RangeWithoutFramesEndsWithoutError) {
    harness h(importer_test::video_movie(fourcc("avc1"), 10, 60), "empty_range",
              {{"video", "0"}, {"end-time", "0"}});
    EXPECT_TRUE(h.import().empty());
    EXPECT_TRUE(h.queue(0).isEnded());
}

TEST(Runloop, AudioReaderWithoutFramesThrowsAfterTheVideoQueueEnded) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 5, 60);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000);
    harness h(movie, "no_audio_frames", {{"video", "0"}, {"audio", "1"}});
    ASSERT_EQ(h.preflight(), 0);
    ASSERT_EQ(h.importer().getMovieInfo()->getTrackCount(), 2u) << "no audio reader for an empty sound track";
    ASSERT_EQ(h.configure(), 0);
    importer_test::expect_importer_exception([&] { h.runloop(); }, 1445, "apple_qt::runloop",
                                             "No frames imported for audio track 1");
    EXPECT_TRUE(h.queue(0).isEnded());
    EXPECT_FALSE(h.queue(1).isEnded());
    EXPECT_EQ(h.take_frames(0).size(), 5u);
}

// One second of 30 fps video and of 48 kHz stereo sound.
test_movie::movie_plan video_and_sound_movie() {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 30, 20);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    return movie;
}

// Only the sound exported: the video's queue gets no description, the
// sound's queue alone ends, and the sound comes as float chunks of one video
// frame, 1600 sample frames, decode time the time stamp.
TEST(Runloop, OnlyAudioExportedEndsOnlyTheAudioQueueAndComesInChunksOfOneVideoFrame) {
    harness h(video_and_sound_movie(), "only_audio", {{"audio", "1"}});
    EXPECT_TRUE(h.import(0).empty());
    EXPECT_FALSE(h.description(0));
    EXPECT_FALSE(h.queue(0).isEnded());
    EXPECT_TRUE(h.queue(1).isEnded());
    frame_list audio = h.take_frames(1);
    ASSERT_GE(audio.size(), 2u);
    EXPECT_EQ(audio[0]->getDataFormat(), fourcc("f32b"));
    EXPECT_EQ(audio[0]->getDataLength(), 1600u * 2 * 4);
    EXPECT_DOUBLE_EQ(seconds(audio[1]->getTimeStamp()) - seconds(audio[0]->getTimeStamp()),
                     1.0 / 30);
    EXPECT_EQ(audio.back()->getDecodeTime(), audio.back()->getTimeStamp());
    EXPECT_GT(seconds(audio.back()->getTimeStamp()), 0.5);
}

TEST(Runloop, VideoAndAudioAlternateOneFrameEachVideoFirst) {
    harness h(video_and_sound_movie(), "alternate", {{"video", "0"}, {"audio", "0"}});
    frame_list frames = h.import();
    ASSERT_GE(frames.size(), 10u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(frames[i]->getKind(),
                  i % 2 == 0 ? Ruv::CM::RFrame::kVideo : Ruv::CM::RFrame::kAudio)
            << i;
}

// processNextFrame gives one frame of the queue asked for and counts
// nothing; asked for a queue nobody feeds, it gives null after ten passes,
// whose frames are lost. The reset notification empties every reader, which
// numbers its frames from zero again, and zeroes the counters; other codes
// change nothing.
TEST(ProcessNextFrame, GivesOneFrameGivesUpAfterTenPassesAndRestartsAfterAReset) {
    harness h(importer_test::video_movie(fourcc("avc1"), 30, 20), "pull", kVideo);
    ASSERT_TRUE(h.open());
    Ruv::CM::CNotification other(fourcc("abcd"));
    Ruv::CM::CNotification reset(fourcc("rstr"));
    Ruv::CM::RFrame* frame = h.importer().processNextFrame(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getSequenceNumber(), 0u);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    frame_list queued = h.take_frames(0);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].get(), frame);
    EXPECT_FALSE(h.queue(0).isEnded());

    EXPECT_EQ(h.importer().processNextFrame(3), nullptr);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 5u);
    EXPECT_TRUE(h.take_frames(0).empty());
    EXPECT_EQ(h.importer().handleNotification(other), 0);
    frame = h.importer().processNextFrame(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getSequenceNumber(), 11u);

    EXPECT_EQ(h.importer().handleNotification(reset), 0);
    frame = h.importer().processNextFrame(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getSequenceNumber(), 0u);
    EXPECT_DOUBLE_EQ(seconds(frame->getTimeStamp()), 0.4);
    ASSERT_EQ(h.runloop(), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 17u);
    EXPECT_EQ(h.importer().handleNotification(other), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 17u);
    EXPECT_EQ(h.importer().handleNotification(reset), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    EXPECT_EQ(h.importer().getStatus().getNumberOfBytes(), 0u);
}

// setTime moves every reader, whatever the track it names: 40 key frames of
// half a second, moved to 5 s through track 0, then to 12.5 s through a
// track the movie does not have.
TEST(SetTime, MovesEveryReaderWhateverTheTrackArgument) {
    harness h(importer_test::video_movie(fourcc("avc1"), 40, 300), "set_time", kVideo);
    ASSERT_TRUE(h.open());
    EXPECT_EQ(h.importer().setTime(0, 5.0), 0);
    EXPECT_EQ(h.importer().setTime(7, 12.5), 0);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 1u);
    ASSERT_EQ(h.runloop(), 0);
    frame_list frames = h.take_frames(0);
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_DOUBLE_EQ(seconds(frames[0]->getTimeStamp()), 12.5);
}

}  // namespace
