#include <gtest/gtest.h>

#include "audio/audio_constants.h"
#include "audio/sound_format.h"
#include "synthetic_sound.h"

using namespace qtrt::audio;
using audio_test::bytes;

namespace {

struct description_case {
    const char* name;
    bytes description;
    bool decodable;
    uint32_t channels;
    double rate;
    uint32_t bits;
    uint32_t bytes_per_frame;
    sample_coding coding;
    bool little_endian;
};

class SoundDescription : public testing::TestWithParam<description_case> {};

TEST_P(SoundDescription, ReadsLayoutAndCoding) {
    const description_case& c = GetParam();
    sound_format f;
    ASSERT_EQ(parse_sound_description(c.description.data(), c.description.size(), f), sound_parse_result::ok);
    EXPECT_EQ(f.decodable, c.decodable);
    EXPECT_EQ(f.channels, c.channels);
    EXPECT_DOUBLE_EQ(f.sample_rate, c.rate);
    EXPECT_EQ(f.bits_per_channel, c.bits);
    if (!c.decodable) return;
    EXPECT_EQ(f.bytes_per_frame, c.bytes_per_frame);
    EXPECT_EQ(f.coding, c.coding);
    EXPECT_EQ(f.little_endian, c.little_endian);
}

using namespace audio_test;
constexpr uint32_t kFloatLE = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
constexpr uint32_t kIntBE = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;

INSTANTIATE_TEST_SUITE_P(
    Versions, SoundDescription,
    testing::Values(
        description_case{"twos_v0", description_v0(kFormatTwos, 2, 16, 48000), true, 2, 48000, 16, 4,
                         sample_coding::signed_int, false},
        description_case{"sowt_v0", description_v0(kFormatSowt, 2, 16, 44100), true, 2, 44100, 16, 4,
                         sample_coding::signed_int, true},
        description_case{"twos_8bit_mono", description_v0(kFormatTwos, 1, 8, 22050), true, 1, 22050, 8, 1,
                         sample_coding::signed_int, false},
        description_case{"raw_8bit", description_v0(kFormatRaw, 1, 8, 11025), true, 1, 11025, 8, 1,
                         sample_coding::offset_binary, false},
        description_case{"none_16bit", description_v0(kFormatNone, 2, 16, 32000), true, 2, 32000, 16, 4,
                         sample_coding::signed_int, false},
        // in24 carries 16 in its sample size field; the format fixes 24 bits.
        description_case{"in24_v1_enda_little", description_v1(kFormatIn24, 2, 16, 48000, 6, 1), true, 2,
                         48000, 24, 6, sample_coding::signed_int, true},
        description_case{"in24_v1_without_enda", description_v1(kFormatIn24, 2, 16, 48000, 6, -1), true, 2,
                         48000, 24, 6, sample_coding::signed_int, false},
        description_case{"in32_v1_enda_big", description_v1(kFormatIn32, 1, 16, 48000, 4, 0), true, 1, 48000,
                         32, 4, sample_coding::signed_int, false},
        description_case{"fl64_v1_enda_little", description_v1(kFormatFl64, 2, 16, 32000, 16, 1), true, 2,
                         32000, 64, 16, sample_coding::floating, true},
        description_case{"ulaw_v0", description_v0(kFormatUlaw, 1, 16, 8000), true, 1, 8000, 16, 1,
                         sample_coding::mu_law, false},
        description_case{"lpcm_float_little", description_v2(kFormatLpcm, 6, 32, 48000, kFloatLE, 24), true, 6,
                         48000, 32, 24, sample_coding::floating, true},
        description_case{"lpcm_int24_big", description_v2(kFormatLpcm, 2, 24, 88200, kIntBE, 6), true, 2,
                         88200, 24, 6, sample_coding::signed_int, false},
        description_case{"aac_v0", description_v0(qt_fourcc("mp4a"), 2, 16, 44100), false, 2, 44100, 16, 0,
                         sample_coding::signed_int, false},
        description_case{"lpcm_in_version_0", description_v0(kFormatLpcm, 2, 16, 44100), false, 2, 44100, 16,
                         0, sample_coding::signed_int, false}),
    [](const testing::TestParamInfo<description_case>& info) { return info.param.name; });

TEST(SoundDescriptionErrors, TruncatedFixedFieldsAreRefused) {
    bytes d = description_v1(kFormatIn24, 2, 16, 48000, 6, -1);
    d.resize(44);
    sound_format f;
    EXPECT_EQ(parse_sound_description(d.data(), d.size(), f), sound_parse_result::truncated);
}

TEST(SoundDescriptionErrors, NoChannelsIsInvalid) {
    const bytes d = description_v0(kFormatTwos, 0, 16, 48000);
    sound_format f;
    EXPECT_EQ(parse_sound_description(d.data(), d.size(), f), sound_parse_result::invalid);
}

TEST(SoundDescriptionErrors, BrokenExtensionAtomKeepsDefaultEndianness) {
    bytes d = description_v1(kFormatIn24, 2, 16, 48000, 6, 1);
    d[52 + 3] = 0xFF;  // the 'wave' atom claims more than the description holds
    sound_format f;
    ASSERT_EQ(parse_sound_description(d.data(), d.size(), f), sound_parse_result::ok);
    EXPECT_FALSE(f.little_endian);
}

}  // namespace
