// Extraction from movies written by the movie builder, through the public
// routines: several sound tracks, edits, rates and stored formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "movie/movie_toolbox.h"
#include "support/movie_builder.h"

using namespace qtrt::audio;

namespace {

// Stored samples of one channel layout: value v of frame f, channel c is
// v(f, c); each frame is one media sample.
struct sound_plan {
    uint32_t format;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
    uint32_t frames;
    int32_t (*value)(uint32_t frame, uint32_t channel);
};

int32_t ramp(uint32_t frame, uint32_t channel) { return int32_t(frame % 1000) * (channel ? -1 : 1); }
int32_t small_ramp(uint32_t frame, uint32_t) { return int32_t(frame % 200) - 100; }
int32_t constant(uint32_t, uint32_t) { return 4096; }

test_movie::track_plan& add_sound(test_movie::movie_plan& movie, const sound_plan& s) {
    test_movie::track_plan& t = movie.add_sound(s.format, s.channels, s.bits, s.rate);
    t.samples_per_chunk = 500;
    const bool little = s.format == test_movie::kSowt;
    const bool offset = s.format == kFormatRaw || (s.format == kFormatUnspecified && s.bits == 8);
    for (uint32_t f = 0; f < s.frames; ++f) {
        test_movie::sample sample;
        sample.duration = 1;
        for (uint32_t c = 0; c < s.channels; ++c) {
            uint32_t v = uint32_t(s.value(f, c));
            if (offset) v ^= 0x80;
            if (s.bits == 8) {
                sample.data.push_back(uint8_t(v));
            } else if (little) {
                sample.data.push_back(uint8_t(v));
                sample.data.push_back(uint8_t(v >> 8));
            } else {
                sample.data.push_back(uint8_t(v >> 8));
                sample.data.push_back(uint8_t(v));
            }
        }
        sample.size = uint32_t(sample.data.size());
        t.samples.push_back(sample);
    }
    return t;
}

float expected_sample(const sound_plan& s, uint32_t frame, uint32_t channel) {
    return float(s.value(frame, channel)) / (s.bits == 8 ? 128.0f : 32768.0f);
}

class opened_movie {
public:
    explicit opened_movie(const test_movie::movie_plan& plan, const std::string& name) {
        const std::string path = std::string(RUV_OUTPUT_DIR) + "/runtime_audio_" + name + ".mov";
        if (!test_movie::write_movie(plan, path)) return;
        CFStringRef string = qtrt::CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
        CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, string, kCFURLPOSIXPathStyle, false);
        QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0};
        qtrt::NewMovieFromProperties(1, &property, 0, nullptr, &m_movie);
        qtrt::CFRelease(url);
        qtrt::CFRelease(string);
        std::remove(path.c_str());
    }
    ~opened_movie() {
        if (m_session) qtrt::MovieAudioExtractionEnd(m_session);
        if (m_movie) qtrt::DisposeMovie(m_movie);
    }
    Movie movie() const { return m_movie; }
    MovieAudioExtractionRef session() const { return m_session; }
    void dispose_movie() {
        qtrt::DisposeMovie(m_movie);
        m_movie = nullptr;
    }

    OSStatus begin(bool discrete) {
        const OSStatus err = qtrt::MovieAudioExtractionBegin(m_movie, 0, &m_session);
        if (err != noErr) return err;
        const Boolean value = discrete ? 1 : 0;
        qtrt::MovieAudioExtractionSetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                              kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete, 1, &value);
        AudioStreamBasicDescription& d = m_asbd;
        qtrt::MovieAudioExtractionGetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                              kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                              sizeof d, &d, nullptr);
        m_default = d;
        d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
        d.mBitsPerChannel = 32;
        d.mBytesPerFrame = d.mBytesPerPacket = 4 * d.mChannelsPerFrame;
        return qtrt::MovieAudioExtractionSetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                     kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                     sizeof d, &d);
    }

    const AudioStreamBasicDescription& default_description() const { return m_default; }
    uint32_t channels() const { return m_asbd.mChannelsPerFrame; }

    // Every frame up to completion, in fills of per_call frames.
    std::vector<float> extract_all(uint32_t per_call = 1000) {
        std::vector<float> all, buffer(size_t(per_call) * channels());
        for (;;) {
            AudioBufferList list{1, {{channels(), uint32_t(buffer.size() * 4), buffer.data()}}};
            uint32_t frames = per_call, flags = 0;
            if (qtrt::MovieAudioExtractionFillBuffer(m_session, &frames, &list, &flags) != noErr) {
                ADD_FAILURE() << "fill failed";
                return all;
            }
            if (flags & kQTMovieAudioExtractionComplete) {
                EXPECT_EQ(frames, 0u);
                return all;
            }
            all.insert(all.end(), buffer.begin(), buffer.begin() + frames * channels());
        }
    }

private:
    Movie m_movie = nullptr;
    MovieAudioExtractionRef m_session = nullptr;
    AudioStreamBasicDescription m_asbd{};
    AudioStreamBasicDescription m_default{};
};

const sound_plan kMono48k{test_movie::kTwos, 1, 16, 48000, 4800, constant};
const sound_plan kStereo48k{test_movie::kTwos, 2, 16, 48000, 4800, ramp};

TEST(MovieExtraction, DiscreteChannelsOfTwoTracksSitSideBySide) {
    test_movie::movie_plan plan;
    add_sound(plan, kMono48k);
    add_sound(plan, kStereo48k);
    opened_movie m(plan, "discrete");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    ASSERT_EQ(m.channels(), 3u);
    const std::vector<float> all = m.extract_all();
    ASSERT_EQ(all.size(), 3u * 4800);
    for (uint32_t f = 0; f < 4800; f += 97) {
        ASSERT_EQ(all[3 * f], expected_sample(kMono48k, f, 0));
        ASSERT_EQ(all[3 * f + 1], expected_sample(kStereo48k, f, 0));
        ASSERT_EQ(all[3 * f + 2], expected_sample(kStereo48k, f, 1));
    }
}

TEST(MovieExtraction, MixedTracksShareTheWidestLayout) {
    test_movie::movie_plan plan;
    add_sound(plan, kMono48k);
    add_sound(plan, kStereo48k);
    opened_movie m(plan, "mixed");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(false), noErr);
    ASSERT_EQ(m.channels(), 2u);
    const std::vector<float> all = m.extract_all();
    ASSERT_EQ(all.size(), 2u * 4800);
    EXPECT_EQ(all[2 * 10], expected_sample(kMono48k, 10, 0) + expected_sample(kStereo48k, 10, 0));
    EXPECT_EQ(all[2 * 10 + 1], expected_sample(kMono48k, 10, 0) + expected_sample(kStereo48k, 10, 1));
}

TEST(MovieExtraction, EmptyEditAtTheStartIsSilenceOfItsLength) {
    test_movie::movie_plan plan;
    test_movie::track_plan& t = add_sound(plan, kStereo48k);
    t.has_edits = true;
    t.add_edit(300, -1);  // half a second at the movie's 600
    t.add_edit(60, 0);    // the media's 0.1 s
    opened_movie m(plan, "empty_edit");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    const std::vector<float> all = m.extract_all(1602);
    ASSERT_EQ(all.size(), 2u * (24000 + 4800));
    for (size_t i = 0; i < 2 * 24000; ++i) ASSERT_EQ(all[i], 0.0f) << i;
    EXPECT_EQ(all[2 * 24000 + 2 * 5], expected_sample(kStereo48k, 5, 0));
    EXPECT_EQ(all.back(), expected_sample(kStereo48k, 4799, 1));
}

struct stored_case {
    const char* name;
    sound_plan sound;
};

class MovieStoredFormats : public testing::TestWithParam<stored_case> {};

TEST_P(MovieStoredFormats, SamplesAndDefaultDescriptionFollowTheTrack) {
    const sound_plan& s = GetParam().sound;
    test_movie::movie_plan plan;
    add_sound(plan, s);
    opened_movie m(plan, GetParam().name);
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    EXPECT_EQ(m.default_description().mSampleRate, double(s.rate));
    EXPECT_EQ(m.default_description().mChannelsPerFrame, s.channels);
    EXPECT_EQ(m.default_description().mBitsPerChannel, s.bits);
    const std::vector<float> all = m.extract_all(777);
    ASSERT_EQ(all.size(), size_t(s.frames) * s.channels);
    for (uint32_t f = 0; f < s.frames; ++f)
        for (uint32_t c = 0; c < s.channels; ++c)
            ASSERT_EQ(all[f * s.channels + c], expected_sample(s, f, c)) << "frame " << f;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MovieStoredFormats,
    testing::Values(stored_case{"mono_22050", {test_movie::kTwos, 1, 16, 22050, 2205, ramp}},
                    stored_case{"raw_8bit", {kFormatRaw, 1, 8, 11025, 1470, small_ramp}},
                    stored_case{"twos_8bit_stereo", {test_movie::kTwos, 2, 8, 8000, 800, small_ramp}},
                    stored_case{"sowt_little_endian", {test_movie::kSowt, 2, 16, 44100, 4410, ramp}},
                    stored_case{"unspecified_8bit_is_raw", {kFormatUnspecified, 1, 8, 11025, 1470, small_ramp}},
                    stored_case{"unspecified_16bit_is_twos", {kFormatUnspecified, 2, 16, 8000, 800, ramp}}),
    [](const testing::TestParamInfo<stored_case>& info) { return info.param.name; });

TEST(MovieExtractionUndecodable, TrackInAnUnknownFormatIsLeftOutWhileOthersPlay) {
    test_movie::movie_plan plan;
    test_movie::track_plan& unknown = plan.add_sound(qt_fourcc("zzzz"), 2, 16, 48000);
    unknown.add_samples(4, 300, 1024);
    add_sound(plan, kMono48k);
    opened_movie m(plan, "undecodable_beside_pcm");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    EXPECT_EQ(m.channels(), 1u);
    EXPECT_EQ(m.extract_all().size(), 4800u);
}

TEST(MovieExtractionUndecodable, OnlyUndecodableSoundCannotBegin) {
    test_movie::movie_plan plan;
    test_movie::track_plan& aac = plan.add_sound(qt_fourcc("mp4a"), 2, 16, 48000);
    aac.add_samples(10, 300, 1024);
    opened_movie m(plan, "undecodable_only");
    ASSERT_NE(m.movie(), nullptr);
    EXPECT_EQ(m.begin(true), kAudioConverterErr_FormatNotSupported);
}

TEST(MovieExtraction, DisabledSoundTrackIsNotRendered) {
    test_movie::movie_plan plan;
    add_sound(plan, kMono48k).enabled = false;
    add_sound(plan, kStereo48k);
    opened_movie m(plan, "disabled");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    EXPECT_EQ(m.channels(), 2u);
}

TEST(MovieExtraction, UnknownPropertiesAndShortValuesAreRefused) {
    test_movie::movie_plan plan;
    add_sound(plan, kStereo48k);
    opened_movie m(plan, "properties");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    uint32_t value = 0;
    EXPECT_EQ(qtrt::MovieAudioExtractionGetProperty(m.session(), kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    qt_fourcc("clay"), sizeof value, &value, nullptr),
              kQTPropertyNotSupportedErr);
    TimeRecord time{};
    EXPECT_EQ(qtrt::MovieAudioExtractionGetProperty(m.session(), kQTPropertyClass_MovieAudioExtraction_Movie,
                                                    kQTMovieAudioExtractionMoviePropertyID_CurrentTime,
                                                    sizeof time - 1, &time, nullptr),
              kQTPropertyBadValueSizeErr);
    AudioStreamBasicDescription asbd{};
    EXPECT_EQ(qtrt::MovieAudioExtractionSetProperty(m.session(), kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    20, &asbd),
              kQTPropertyBadValueSizeErr);
}

TEST(MovieExtraction, FillAfterTheMovieIsDisposedIsAnError) {
    test_movie::movie_plan plan;
    add_sound(plan, kStereo48k);
    opened_movie m(plan, "disposed");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    m.dispose_movie();
    std::vector<float> buffer(2 * 100);
    AudioBufferList list{1, {{2, uint32_t(buffer.size() * 4), buffer.data()}}};
    uint32_t frames = 100, flags = 0;
    EXPECT_EQ(qtrt::MovieAudioExtractionFillBuffer(m.session(), &frames, &list, &flags), invalidMedia);
    EXPECT_EQ(frames, 0u);
}

// Version 1 keeps 16 in the sample size of uncompressed sound; its bytes per
// packet give the width.
TEST(MovieExtraction, Version1EightBitSoundTakesItsWidthFromBytesPerPacket) {
    const sound_plan s{test_movie::kTwos, 1, 8, 22050, 2205, small_ramp};
    test_movie::movie_plan plan;
    test_movie::track_plan& t = add_sound(plan, s);
    t.descriptions[0] = test_movie::sound_description(test_movie::kTwos, 1, 16, 22050, 1);
    test_movie::patch_u32(t.descriptions[0], 40, 1);  // bytes per packet
    test_movie::patch_u32(t.descriptions[0], 44, 1);  // bytes per frame
    opened_movie m(plan, "v1_8bit");
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(true), noErr);
    EXPECT_EQ(m.default_description().mBitsPerChannel, 8u);
    const std::vector<float> all = m.extract_all();
    ASSERT_EQ(all.size(), 2205u);
    for (uint32_t f = 0; f < 2205; f += 7) ASSERT_EQ(all[f], expected_sample(s, f, 0)) << "frame " << f;
}

int32_t quiet(uint32_t, uint32_t) { return 1024; }
int32_t per_channel(uint32_t, uint32_t channel) { return 256 * int32_t(channel + 1); }

const sound_plan kLoud{test_movie::kTwos, 1, 16, 48000, 480, constant};
const sound_plan kQuiet{test_movie::kTwos, 1, 16, 48000, 480, quiet};
const sound_plan kSurround{test_movie::kTwos, 6, 16, 48000, 480, per_channel};

// A 'chan' atom's contents: channel descriptions with these labels.
test_movie::bytes channel_layout(const std::vector<uint32_t>& labels) {
    test_movie::bytes b;
    test_movie::put_u32(b, 0);  // version, flags
    test_movie::put_u32(b, 0);  // tag: use channel descriptions
    test_movie::put_u32(b, 0);  // bitmap
    test_movie::put_u32(b, uint32_t(labels.size()));
    for (uint32_t l : labels) {
        test_movie::put_u32(b, l);
        for (int i = 0; i < 4; ++i) test_movie::put_u32(b, 0);  // flags, coordinates
    }
    return b;
}

test_movie::track_plan& add_labelled(test_movie::movie_plan& plan, const sound_plan& s, uint32_t label) {
    test_movie::track_plan& t = add_sound(plan, s);
    t.descriptions[0] = test_movie::sound_description(s.format, s.channels, s.bits, s.rate, 0,
                                                      {{qt_fourcc("chan"), channel_layout({label})}});
    return t;
}

struct mix_case {
    const char* name;
    void (*build)(test_movie::movie_plan&);
    std::vector<float> frame;  // every output frame, mixed
};

class MovieMixing : public testing::TestWithParam<mix_case> {};

TEST_P(MovieMixing, MixedExtractionFollowsWhatQuickTimePlays) {
    test_movie::movie_plan plan;
    GetParam().build(plan);
    opened_movie m(plan, GetParam().name);
    ASSERT_NE(m.movie(), nullptr);
    ASSERT_EQ(m.begin(false), noErr);
    const std::vector<float>& expected = GetParam().frame;
    ASSERT_EQ(m.channels(), expected.size());
    const std::vector<float> all = m.extract_all();
    ASSERT_EQ(all.size(), 480 * expected.size());
    for (size_t f = 0; f < 480; f += 31)
        for (size_t c = 0; c < expected.size(); ++c) ASSERT_EQ(all[f * expected.size() + c], expected[c]);
}

constexpr float kL = 4096.0f / 32768, kQ = 1024.0f / 32768, kC = 256.0f / 32768;

INSTANTIATE_TEST_SUITE_P(
    Tracks, MovieMixing,
    testing::Values(
        mix_case{"OneTrackOfAnAlternateGroupPlays",
                 [](test_movie::movie_plan& p) {
                     add_sound(p, kLoud).alternate_group = 1;
                     add_sound(p, kQuiet).alternate_group = 1;
                 },
                 {kL}},
        mix_case{"TrackAtVolumeZeroIsSilent",
                 [](test_movie::movie_plan& p) {
                     add_sound(p, kLoud).volume = 0;
                     add_sound(p, kQuiet);
                 },
                 {kQ}},
        mix_case{"TrackAtHalfVolumeIsHalved",
                 [](test_movie::movie_plan& p) { add_sound(p, kLoud).volume = 0x80; },
                 {kL / 2}},
        mix_case{"MonoTracksLabelledLeftAndRightMakeStereo",
                 [](test_movie::movie_plan& p) {
                     add_labelled(p, kQuiet, 2);  // Right
                     add_labelled(p, kLoud, 1);   // Left
                 },
                 {kL, kQ}},
        mix_case{"MonoBesideFivePointOneGoesToTheCentre",
                 [](test_movie::movie_plan& p) {
                     add_sound(p, kQuiet);
                     add_sound(p, kSurround);
                 },
                 {kC, 2 * kC, 3 * kC + kQ, 4 * kC, 5 * kC, 6 * kC}}),
    [](const testing::TestParamInfo<mix_case>& info) { return info.param.name; });

}  // namespace
