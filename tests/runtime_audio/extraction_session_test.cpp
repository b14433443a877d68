#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/audio_constants.h"
#include "audio/extraction_session.h"
#include "synthetic_sound.h"

using namespace qtrt::audio;
using namespace audio_test;

namespace {

// Stereo 16-bit big-endian media whose sample values count up, so that every
// frame is recognisable: frame i holds (i, -i).
track_plan counting_stereo(uint32_t frames, uint32_t rate = 48000) {
    std::vector<int16_t> values;
    for (uint32_t i = 0; i < frames; ++i) {
        values.push_back(int16_t(i));
        values.push_back(int16_t(-int32_t(i)));
    }
    track_plan plan;
    plan.description = description_v0(kFormatTwos, 2, 16, rate);
    plan.data = s16be(values);
    plan.frames = frames;
    plan.frames_per_chunk = 700;
    return plan;
}

track_plan constant_mono(uint32_t frames, uint32_t rate, int16_t value) {
    track_plan plan;
    plan.description = description_v0(kFormatTwos, 1, 16, rate);
    plan.data = s16be(std::vector<int16_t>(frames, value));
    plan.frames = frames;
    return plan;
}

extraction_session session_of(std::vector<track_plan> plans, TimeScale movie_scale = 600) {
    std::vector<sound_track_input> inputs;
    for (const track_plan& s : plans) inputs.push_back(make_track(s));
    return extraction_session(movie_scale, std::move(inputs));
}

void set_float_interleaved(extraction_session& s) {
    AudioStreamBasicDescription d = s.default_description();
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    d.mBitsPerChannel = 32;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * d.mChannelsPerFrame;
    ASSERT_EQ(s.set_description(d), noErr);
}

struct fill_result {
    std::vector<float> samples;
    uint32_t frames;
    uint32_t flags;
};

// One fill of up to frames frames into a native float interleaved buffer.
fill_result fill(extraction_session& s, uint32_t frames) {
    const uint32_t channels = s.description().mChannelsPerFrame;
    fill_result r{std::vector<float>(size_t(frames) * channels), frames, 0};
    AudioBufferList list{1, {{channels, uint32_t(r.samples.size() * 4), r.samples.data()}}};
    EXPECT_EQ(s.fill(r.frames, list, r.flags), noErr);
    EXPECT_EQ(list.mBuffers[0].mDataByteSize, r.frames * channels * 4);
    r.samples.resize(size_t(r.frames) * channels);
    return r;
}

std::vector<float> fill_all(extraction_session& s, uint32_t per_call = 1000) {
    std::vector<float> all;
    for (;;) {
        const fill_result r = fill(s, per_call);
        if (r.flags & kQTMovieAudioExtractionComplete) {
            EXPECT_EQ(r.frames, 0u);
            return all;
        }
        all.insert(all.end(), r.samples.begin(), r.samples.end());
    }
}

TEST(ExtractionDescription, DefaultIsFloatAtTheHighestRateWithTheSourceDepth) {
    track_plan deep = constant_mono(100, 22050, 1);
    deep.description = description_v1(kFormatIn24, 1, 16, 22050, 3, 0);
    deep.data.assign(300, 0);
    extraction_session s = session_of({deep, counting_stereo(100, 44100)});
    const AudioStreamBasicDescription d = s.description();
    EXPECT_EQ(d.mSampleRate, 44100.0);
    EXPECT_EQ(d.mFormatID, kAudioFormatLinearPCM);
    EXPECT_EQ(d.mFormatFlags, kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved);
    EXPECT_EQ(d.mChannelsPerFrame, 2u);
    EXPECT_EQ(d.mBitsPerChannel, 24u);
    EXPECT_EQ(d.mFramesPerPacket, 1u);
}

TEST(ExtractionFill, CompletionComesOnlyOnTheCallAfterTheLastFrames) {
    extraction_session s = session_of({counting_stereo(4800)});
    set_float_interleaved(s);
    fill_result r = fill(s, 4000);
    EXPECT_EQ(r.frames, 4000u);
    EXPECT_EQ(r.flags, 0u);
    r = fill(s, 4000);  // the last, partial buffer
    EXPECT_EQ(r.frames, 800u);
    EXPECT_EQ(r.flags, 0u);
    r = fill(s, 4000);
    EXPECT_EQ(r.frames, 0u);
    EXPECT_EQ(r.flags, kQTMovieAudioExtractionComplete);
    r = fill(s, 4000);
    EXPECT_EQ(r.flags, kQTMovieAudioExtractionComplete);
}

TEST(ExtractionFill, MissingBuffersAreAParameterError) {
    extraction_session s = session_of({counting_stereo(100)});  // default: two separate buffers
    float one[64];
    AudioBufferList list{1, {{1, sizeof one, one}}};
    uint32_t frames = 16, flags = 0;
    EXPECT_EQ(s.fill(frames, list, flags), paramErr);
}

TEST(ExtractionEdits, MediaEditPlaysItsMediaRange) {
    track_plan plan = counting_stereo(4800);
    qtrt::edit_entry e;
    e.track_duration = 12;    // 0.02 s: 960 frames
    e.media_time = 1000;      // media time scale is the sample rate
    plan.edits = {e};
    extraction_session s = session_of({plan});
    set_float_interleaved(s);
    const std::vector<float> all = fill_all(s);
    ASSERT_EQ(all.size(), 2u * 960);
    EXPECT_EQ(all.front(), 1000.0f / 32768);
    EXPECT_EQ(all[2 * 959], 1959.0f / 32768);
}

TEST(ExtractionEdits, EndsWhereTheLongestTrackEnds) {
    extraction_session s = session_of({constant_mono(480, 48000, 1), constant_mono(960, 48000, 1)});
    EXPECT_EQ(s.end_frame(), 960);
}

TEST(ExtractionTime, SeekingThenReadingOnContinuesFromThatFrame) {
    extraction_session s = session_of({counting_stereo(4800)});
    set_float_interleaved(s);
    TimeRecord t{};
    t.value.lo = 3;  // 3/600 s = frame 240
    t.scale = 600;
    ASSERT_EQ(s.set_current_time(t), noErr);
    const TimeRecord now = s.current_time();
    EXPECT_DOUBLE_EQ(double(now.value.lo) / now.scale, 3.0 / 600);
    fill_result r = fill(s, 10);
    EXPECT_EQ(r.samples[0], 240.0f / 32768);
    const TimeRecord after = s.current_time();
    EXPECT_EQ(after.value.lo, 250u);
    EXPECT_EQ(after.scale, 48000);
}

TEST(ExtractionTime, SeekPastTheEndCompletes) {
    extraction_session s = session_of({counting_stereo(480)});
    set_float_interleaved(s);
    TimeRecord t{};
    t.value.lo = 10;
    t.scale = 1;
    ASSERT_EQ(s.set_current_time(t), noErr);
    EXPECT_EQ(fill(s, 10).flags, kQTMovieAudioExtractionComplete);
    t.value.lo = 0;
    ASSERT_EQ(s.set_current_time(t), noErr);
    EXPECT_EQ(fill(s, 10).frames, 10u);
}

TEST(ExtractionTime, ZeroScaleIsRefused) {
    extraction_session s = session_of({counting_stereo(480)});
    TimeRecord t{};
    EXPECT_EQ(s.set_current_time(t), paramErr);
}

TEST(ExtractionRates, LowerRateTrackIsResampledToTheOutputRate) {
    // A 22,050 Hz mono track of constant level beside a 44,100 Hz track.
    extraction_session s = session_of({constant_mono(4410, 22050, 16384), constant_mono(8820, 44100, 0)});
    set_float_interleaved(s);
    EXPECT_EQ(s.end_frame(), 8820);
    const std::vector<float> all = fill_all(s, 4096);
    ASSERT_EQ(all.size(), 8820u);
    for (size_t i = 1000; i < 7800; ++i) ASSERT_NEAR(all[i], 0.5f, 1e-4) << i;
}

TEST(ExtractionRates, SettingAnotherRateResamplesEveryTrack) {
    extraction_session s = session_of({constant_mono(4410, 22050, 16384)});
    AudioStreamBasicDescription d = s.default_description();
    d.mSampleRate = 48000;
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    d.mBitsPerChannel = 32;
    ASSERT_EQ(s.set_description(d), noErr);
    EXPECT_EQ(s.end_frame(), 9600);
    const std::vector<float> all = fill_all(s, 4096);
    EXPECT_EQ(all.size(), 9600u);
    EXPECT_NEAR(all[4800], 0.5f, 1e-4);
}

TEST(ExtractionFormat, IntegerOutputIsRoundedFromTheMix) {
    extraction_session s = session_of({counting_stereo(480)});
    AudioStreamBasicDescription d = s.default_description();
    d.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;
    d.mBitsPerChannel = 16;
    d.mBytesPerFrame = d.mBytesPerPacket = 4;
    ASSERT_EQ(s.set_description(d), noErr);
    uint8_t out[40];
    AudioBufferList list{1, {{2, sizeof out, out}}};
    uint32_t frames = 10, flags = 0;
    ASSERT_EQ(s.fill(frames, list, flags), noErr);
    ASSERT_EQ(frames, 10u);
    // Frame 9: (9, -9) as big-endian 16-bit.
    EXPECT_EQ(out[36], 0x00);
    EXPECT_EQ(out[37], 0x09);
    EXPECT_EQ(out[38], 0xFF);
    EXPECT_EQ(out[39], 0xF7);
}

TEST(ExtractionFormat, FloatSourceSamplesPassBitForBit) {
    track_plan plan;
    plan.description = description_v1(kFormatFl32, 1, 16, 48000, 4, 0);
    plan.data = {0x80, 0, 0, 0, 0x3E, 0xAA, 0xAA, 0xAB, 0, 0, 0, 0};  // -0.0, 1/3, +0.0
    plan.frames = 3;
    plan.movie_time_scale = 48000;
    extraction_session s = session_of({plan}, 48000);
    set_float_interleaved(s);
    const fill_result r = fill(s, 3);
    ASSERT_EQ(r.frames, 3u);
    EXPECT_TRUE(std::signbit(r.samples[0]));
    EXPECT_EQ(r.samples[0], 0.0f);
    EXPECT_EQ(r.samples[1], 0x1.555556p-2f);
    EXPECT_FALSE(std::signbit(r.samples[2]));
}

TEST(ExtractionFormat, ChannelCountOtherThanTheOutputsIsRefused) {
    extraction_session s = session_of({counting_stereo(10)});
    AudioStreamBasicDescription d = s.default_description();
    d.mChannelsPerFrame = 1;
    d.mBitsPerChannel = 32;
    EXPECT_EQ(s.set_description(d), paramErr);
}

}  // namespace
