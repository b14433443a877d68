// The audio reader: the chunk size from the sample rate and chunk duration,
// chunk bytes and time stamps, completion, the end-time rule and seeking.
#include <gtest/gtest.h>

#include "importer/track_audio.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

// Sound only: 16-bit big-endian PCM of the given rate and channel count,
// 'seconds' long (movie time scale 1000).
test_movie::movie_plan sound_movie(uint32_t rate, uint16_t channels, double seconds) {
    test_movie::movie_plan plan;
    plan.time_scale = 1000;
    test_movie::track_plan& t = plan.add_sound(test_movie::kTwos, channels, 16, rate);
    t.add_samples(uint32_t(rate * seconds + 0.5), 2u * channels, 1);
    t.samples_per_chunk = 1000;
    t.constant_size = true;
    return plan;
}

TEST(AudioOpen, MovieWithoutSoundFails) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 100, 20);
    movie_ptr movie = open_built(plan);
    ASSERT_NE(movie, nullptr);
    audio_track audio;
    EXPECT_EQ(audio.open(movie.get()), 1);
}

struct rate_case {
    uint32_t rate;
    double chunk;
    uint32_t frames;
};

class AudioFramesPerRead : public testing::TestWithParam<rate_case> {};

TEST_P(AudioFramesPerRead, RateTimesChunkDurationRounded) {
    const rate_case& c = GetParam();
    movie_ptr movie = open_built(sound_movie(c.rate, 1, 0.2));
    audio_track audio;
    EXPECT_EQ(audio.frames_per_read(), 2048u);
    audio.set_chunk_duration(c.chunk);
    ASSERT_TRUE(open_track(movie, audio));
    EXPECT_EQ(audio.frames_per_read(), c.frames);
    frame_list f;
    ASSERT_EQ(read_all(audio, f, 1), 0);
    EXPECT_EQ(f[0]->size(), c.frames * 4);
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioFramesPerRead,
                         testing::Values(rate_case{44115, 0.04, 1765},
                                         rate_case{48000, 1001.0 / 30000.0, 1602},
                                         rate_case{44100, 1001.0 / 30000.0, 1471}));

// The reader reports the source's format and asks the extraction for float.
TEST(AudioRead, ChunksOf14112BytesWithContiguousTimes) {
    movie_ptr movie = open_built(sound_movie(44100, 2, 0.5));
    audio_track audio;
    ASSERT_TRUE(open_track(movie, audio));
    EXPECT_EQ(audio.sample_rate(), 44100.0);
    EXPECT_EQ(audio.channel_count(), 2u);
    EXPECT_EQ(audio.bits_per_channel(), 16u);
    EXPECT_EQ(audio.codec(), test_movie::fourcc("fl32"));
    EXPECT_DOUBLE_EQ(audio.duration(), 0.5);
    frame_list chunks;
    EXPECT_EQ(read_all(audio, chunks), 5);
    // 22,050 frames: twelve whole chunks and 882 frames.
    ASSERT_EQ(chunks.size(), 13u);
    for (size_t i = 0; i < chunks.size(); ++i) {
        const frame* c = chunks[i];
        EXPECT_EQ(c->kind(), frame::kind_audio);
        EXPECT_EQ(c->number(), i);
        EXPECT_EQ(c->size(), i < 12 ? 14112u : 882u * 8);
        EXPECT_NEAR(c->display_time(), i * 0.04, 1e-12);
        EXPECT_EQ(c->decode_time(), c->display_time());
        EXPECT_NEAR(c->duration(), i < 12 ? 0.04 : 0.02, 1e-12);
    }
    EXPECT_EQ(audio.frame_count(), 13u);
    EXPECT_EQ(audio.byte_count(), 22050u * 8);
}

TEST(AudioRead, CompletionAnswers5ThenInactive) {
    movie_ptr movie = open_built(sound_movie(8000, 1, 0.04));
    audio_track audio;
    ASSERT_TRUE(open_track(movie, audio));
    EXPECT_EQ(audio.read(), 0);
    EXPECT_EQ(audio.read(), 5);
    EXPECT_EQ(audio.queued_frames(), 1u);
    EXPECT_EQ(audio.read(), 9);
    EXPECT_EQ(audio.read(), 9);
    // A seek restarts the run.
    ASSERT_EQ(audio.seek(0.0, 100.0), 0);
    EXPECT_EQ(audio.queued_frames(), 0u);
    EXPECT_EQ(audio.read(), 0);
}

// The sound's media lies in a file beside the movie that is cut short while
// the first chunk is read: the fill fails, the reader stays active, and once
// the file is whole again the same read goes on from where it stood.
TEST(AudioRead, AFillErrorLeavesTheReaderActiveForTheNextRead) {
    test_movie::movie_plan plan = sound_movie(8000, 1, 0.5);
    plan.tracks[0].data_ref = test_movie::data_ref_kind::url_external;
    plan.tracks[0].external_name = "readers_fill_error_sound.raw";
    const test_movie::movie_file file = test_movie::build_movie(plan);
    ASSERT_EQ(file.externals.size(), 1u);
    const std::string media = std::string(RUV_OUTPUT_DIR) + "/" + file.externals[0].first;
    movie_ptr movie = open_built(plan);
    audio_track audio;
    ASSERT_TRUE(open_track(movie, audio));
    ASSERT_TRUE(test_movie::write_bytes(test_movie::bytes(), media));
    EXPECT_EQ(audio.read(), 1);
    EXPECT_TRUE(audio.is_active());
    EXPECT_EQ(audio.frame_count(), 0u);
    ASSERT_TRUE(test_movie::write_bytes(file.externals[0].second, media));
    frame_list f;
    ASSERT_EQ(read_all(audio, f, 1), 0);
    EXPECT_EQ(f[0]->display_time(), 0.0);
    EXPECT_EQ(f[0]->size(), 320u * 4);
}

// Until the first seek the end time is 0.0: the chunk stamped 0.04 stops the
// reader. The end time itself still belongs to the range: after a seek to
// [0, 0.04] the chunk stamped 0.04 is read on, the one stamped 0.08 is queued
// and stops the reader.
TEST(AudioRead, OnlyAChunkAfterTheEndTimeStopsTheReaderUntilAReset) {
    movie_ptr movie = open_built(sound_movie(48000, 2, 1.0));
    ASSERT_NE(movie, nullptr);
    audio_track audio;
    ASSERT_EQ(audio.open(movie.get()), 0);
    frame_list chunks;
    EXPECT_EQ(read_all(audio, chunks), 9);
    EXPECT_EQ(chunks.size(), 2u);
    ASSERT_EQ(audio.seek(0.0, 0.04), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(audio.read(), 0);
        EXPECT_EQ(audio.is_active(), i < 2) << i;
    }
    EXPECT_EQ(audio.read(), 9);
    EXPECT_EQ(audio.queued_frames(), 3u);
    // A reset empties the queue and the counters and starts the run again.
    EXPECT_EQ(audio.reset(), 0);
    EXPECT_EQ(audio.queued_frames(), 0u);
    EXPECT_EQ(audio.byte_count(), 0u);
    frame_list f;
    ASSERT_EQ(read_all(audio, f, 1), 0);
    EXPECT_EQ(f[0]->number(), 0u);
    EXPECT_EQ(f[0]->display_time(), 0.0);
}

// The sound's first edit shows its media from 0.5 s: a start before that
// extracts from the movie's start, a later one from start - 0.5.
struct seek_case {
    double start;
    double extraction_start;
};

class AudioSeek : public testing::TestWithParam<seek_case> {};

TEST_P(AudioSeek, StartIsMeasuredFromTheEditStart) {
    test_movie::movie_plan plan = sound_movie(48000, 2, 2.0);
    plan.tracks[0].add_edit(1500, 24000);
    movie_ptr movie = open_built(plan);
    audio_track audio;
    ASSERT_TRUE(open_track(movie, audio, GetParam().start));
    EXPECT_FLOAT_EQ(audio.shown_media_start(), 0.5f);
    EXPECT_DOUBLE_EQ(audio.start_time(), GetParam().extraction_start);
    frame_list f;
    ASSERT_EQ(read_all(audio, f, 1), 0);
    EXPECT_DOUBLE_EQ(f[0]->display_time(), GetParam().extraction_start);
}

INSTANTIATE_TEST_SUITE_P(Starts, AudioSeek,
                         testing::Values(seek_case{0.2, 0.0}, seek_case{0.5, 0.0},
                                         seek_case{1.0, 0.5}));

}  // namespace
