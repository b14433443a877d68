#include <gtest/gtest.h>

#include <cstring>

#include "audio/audio_constants.h"
#include "audio/pcm_decoder.h"
#include "audio/sound_format.h"
#include "synthetic_sound.h"

using namespace qtrt::audio;
using audio_test::bytes;

namespace {

struct decode_case {
    const char* name;
    bytes description;
    bytes stored;
    std::vector<float> expected;
};

class PcmDecode : public testing::TestWithParam<decode_case> {};

TEST_P(PcmDecode, ConvertsExactly) {
    const decode_case& c = GetParam();
    sound_format f;
    ASSERT_EQ(parse_sound_description(c.description.data(), c.description.size(), f), sound_parse_result::ok);
    ASSERT_TRUE(f.decodable);
    ASSERT_EQ(c.stored.size() % f.bytes_per_frame, 0u);
    const size_t frames = c.stored.size() / f.bytes_per_frame;
    std::vector<float> out(frames * f.channels, -99.0f);
    decode_pcm(f, c.stored.data(), frames, out.data());
    ASSERT_EQ(out.size(), c.expected.size());
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], c.expected[i]) << "sample " << i;
}

using namespace audio_test;
constexpr float k16 = 1.0f / 32768;
constexpr float k24 = 1.0f / 8388608;
constexpr float k32 = 1.0f / 2147483648.0f;

bytes float_bits_le(float v) {
    bytes b(4);
    std::memcpy(b.data(), &v, 4);  // the test machine is little-endian, as is the target
    return b;
}

bytes double_bits_be(double v) {
    bytes b;
    put_f64(b, v);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PcmDecode,
    testing::Values(
        decode_case{"twos16", description_v0(kFormatTwos, 2, 16, 48000), {0x80, 0x00, 0x7F, 0xFF},
                    {-1.0f, 32767 * k16}},
        decode_case{"sowt16", description_v0(kFormatSowt, 1, 16, 48000), {0x01, 0x80, 0xFF, 0xFF},
                    {-32767 * k16, -1 * k16}},
        decode_case{"twos8_signed", description_v0(kFormatTwos, 1, 8, 22050), {0x80, 0x7F, 0x00},
                    {-1.0f, 127 / 128.0f, 0.0f}},
        decode_case{"raw8_offset_binary", description_v0(kFormatRaw, 1, 8, 22050), {0x00, 0x80, 0xFF},
                    {-1.0f, 0.0f, 127 / 128.0f}},
        decode_case{"none8_offset_binary", description_v0(kFormatNone, 1, 8, 22050), {0x40}, {-0.5f}},
        decode_case{"in24_big", description_v1(kFormatIn24, 1, 16, 48000, 3, 0), {0x80, 0x00, 0x01, 0x00, 0x00, 0x01},
                    {-8388607 * k24, 1 * k24}},
        decode_case{"in24_little", description_v1(kFormatIn24, 1, 16, 48000, 3, 1), {0x01, 0x00, 0x80, 0xFF, 0xFF, 0x7F},
                    {-8388607 * k24, 8388607 * k24}},
        decode_case{"in32_big", description_v1(kFormatIn32, 1, 16, 48000, 4, -1), {0x80, 0, 0, 0, 0x40, 0, 0, 0},
                    {-1.0f, 0.5f}},
        decode_case{"in32_rounds_like_float", description_v1(kFormatIn32, 1, 16, 48000, 4, 1), {0xFF, 0xFF, 0xFF, 0x7F},
                    {float(2147483647) * k32}},
        decode_case{"fl32_little", description_v1(kFormatFl32, 1, 16, 48000, 4, 1), float_bits_le(-0.3f), {-0.3f}},
        decode_case{"fl64_big", description_v1(kFormatFl64, 1, 16, 48000, 8, -1), double_bits_be(0.1), {float(0.1)}},
        decode_case{"ulaw", description_v0(kFormatUlaw, 1, 16, 8000), {0xFF, 0x7F, 0x00, 0x80},
                    {0.0f, 0.0f, -32124 * k16, 32124 * k16}},
        decode_case{"alaw", description_v0(kFormatAlaw, 1, 16, 8000), {0xD5, 0x55, 0xAA, 0x2A},
                    {8 * k16, -8 * k16, 32256 * k16, -32256 * k16}},
        decode_case{"lpcm_int16_little",
                    description_v2(kFormatLpcm, 1, 16, 48000,
                                   kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked, 2),
                    {0x00, 0xC0}, {-0.5f}},
        // 20 significant bits in the low bits of a 3-byte container.
        decode_case{"lpcm_int20_low_in_24",
                    description_v2(kFormatLpcm, 1, 20, 48000,
                                   kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsBigEndian, 3),
                    {0x08, 0x00, 0x00}, {-1.0f}}),
    [](const testing::TestParamInfo<decode_case>& info) { return info.param.name; });

}  // namespace
