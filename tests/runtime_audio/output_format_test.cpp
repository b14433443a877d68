#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "audio/audio_constants.h"
#include "audio/output_format.h"

using namespace qtrt::audio;

namespace {

AudioStreamBasicDescription asbd(uint32_t flags, uint32_t bits, uint32_t channels) {
    AudioStreamBasicDescription d{};
    d.mSampleRate = 48000;
    d.mFormatID = kAudioFormatLinearPCM;
    d.mFormatFlags = flags | kAudioFormatFlagIsPacked;
    d.mFramesPerPacket = 1;
    d.mChannelsPerFrame = channels;
    d.mBitsPerChannel = bits;
    d.mBytesPerFrame = (flags & kAudioFormatFlagIsNonInterleaved) ? bits / 8 : bits / 8 * channels;
    d.mBytesPerPacket = d.mBytesPerFrame;
    return d;
}

struct convert_case {
    const char* name;
    uint32_t flags;
    uint32_t bits;
    std::vector<float> samples;  // one channel
    std::vector<uint8_t> expected;
};

class OutputConversion : public testing::TestWithParam<convert_case> {};

TEST_P(OutputConversion, WritesSamplesInTheFormat) {
    const convert_case& c = GetParam();
    output_format f;
    ASSERT_TRUE(output_format_from_asbd(asbd(c.flags, c.bits, 1), f));
    std::vector<uint8_t> out(c.expected.size() + 4, 0xEE);
    AudioBufferList list{1, {{1, uint32_t(out.size()), out.data()}}};
    write_frames(f, c.samples.data(), 0, c.samples.size(), list);
    EXPECT_EQ(list.mBuffers[0].mDataByteSize, c.expected.size());
    out.resize(c.expected.size());
    EXPECT_EQ(out, c.expected);
}

constexpr uint32_t kBE = kAudioFormatFlagIsBigEndian;
constexpr uint32_t kFloat = kAudioFormatFlagIsFloat;
constexpr uint32_t kInt = kAudioFormatFlagIsSignedInteger;

INSTANTIATE_TEST_SUITE_P(
    Formats, OutputConversion,
    testing::Values(
        convert_case{"float32_big", kFloat | kBE, 32, {1.0f, -0.5f}, {0x3F, 0x80, 0, 0, 0xBF, 0, 0, 0}},
        convert_case{"float32_little", kFloat, 32, {1.0f}, {0, 0, 0x80, 0x3F}},
        convert_case{"float64_big", kFloat | kBE, 64, {-2.0f}, {0xC0, 0, 0, 0, 0, 0, 0, 0}},
        convert_case{"int16_little_clips", kInt, 16, {1.5f, -1.0f, 0.5f, -3.0f},
                     {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x40, 0x00, 0x80}},
        convert_case{"int24_big_rounds", kInt | kBE, 24, {0.25f, 1.0f / 16777216}, {0x20, 0, 0, 0, 0, 0}},
        convert_case{"int32_big", kInt | kBE, 32, {-1.0f, 1.0f}, {0x80, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF}}),
    [](const testing::TestParamInfo<convert_case>& info) { return info.param.name; });

TEST(OutputLayout, NonInterleavedChannelsGoToTheirOwnBuffers) {
    output_format f;
    ASSERT_TRUE(output_format_from_asbd(asbd(kFloat | kBE | kAudioFormatFlagIsNonInterleaved, 32, 2), f));
    std::vector<uint8_t> left(8), right(8);
    // A list of two buffers, allocated as callers of the extraction do.
    std::unique_ptr<AudioBufferList, decltype(&free)> owner(
        static_cast<AudioBufferList*>(calloc(1, sizeof(AudioBufferList) + sizeof(AudioBuffer))),
        &free);
    AudioBufferList& list = *owner;
    list.mNumberBuffers = 2;
    list.mBuffers[0] = AudioBuffer{1, 8, left.data()};
    list.mBuffers[1] = AudioBuffer{1, 8, right.data()};
    ASSERT_EQ(frames_that_fit(f, list), 2u);
    const float frames[] = {1.0f, -1.0f, 0.0f, 2.0f};
    write_frames(f, frames, 0, 2, list);
    EXPECT_EQ(left, (std::vector<uint8_t>{0x3F, 0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(right, (std::vector<uint8_t>{0xBF, 0x80, 0, 0, 0x40, 0, 0, 0}));
}

TEST(OutputLayout, TooFewBuffersForTheChannelsFitNothing) {
    output_format f;
    ASSERT_TRUE(output_format_from_asbd(asbd(kFloat | kAudioFormatFlagIsNonInterleaved, 32, 2), f));
    std::vector<uint8_t> one(64);
    AudioBufferList list{1, {{1, 64, one.data()}}};
    EXPECT_EQ(frames_that_fit(f, list), 0u);
}

TEST(OutputLayout, InterleavedFitCountsWholeFrames) {
    output_format f;
    ASSERT_TRUE(output_format_from_asbd(asbd(kInt, 24, 2), f));
    std::vector<uint8_t> bytes(25);
    AudioBufferList list{1, {{2, 25, bytes.data()}}};
    EXPECT_EQ(frames_that_fit(f, list), 4u);
}

TEST(OutputDescription, RefusesWhatItCannotProduce) {
    output_format f;
    EXPECT_FALSE(output_format_from_asbd(asbd(kInt, 8, 2), f));     // 8-bit
    EXPECT_FALSE(output_format_from_asbd(asbd(kFloat, 16, 2), f));  // 16-bit float
    EXPECT_FALSE(output_format_from_asbd(asbd(kBE, 16, 2), f));     // unsigned
    AudioStreamBasicDescription wrong_size = asbd(kFloat, 32, 2);
    wrong_size.mBytesPerFrame = 4;
    EXPECT_FALSE(output_format_from_asbd(wrong_size, f));
    AudioStreamBasicDescription not_pcm = asbd(kFloat, 32, 2);
    not_pcm.mFormatID = qt_fourcc("aac ");
    EXPECT_FALSE(output_format_from_asbd(not_pcm, f));
}

}  // namespace
