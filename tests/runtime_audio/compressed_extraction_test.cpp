// Compressed sound through the public extraction routines, against Debian's
// ffmpeg decoding the same movies (tests/data/compressed; README.md there
// says how they were made): the same samples to within 1e-4, for as long as
// the sound's edits last. Damaged packets play as silence with a warning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_constants.h"
#include "movie/movie_access.h"
#include "movie/movie_toolbox.h"
#include "runtime_audio/extraction.h"
#include "runtime_movie/movie_test_support.h"

using namespace qtrt::audio;
using audio_test::data_path;
using audio_test::extraction;
using audio_test::first_difference;
using audio_test::reference;
using movie_test::output_path;

namespace {

// The first sound track.
const qtrt::track_model* sound_track(Movie movie) {
    const qtrt::track_model* t =
        qtrt::model_of(movie_test::track_of_type(movie, qt_fourcc("soun")));
    EXPECT_NE(t, nullptr);
    return t;
}

// The sound's frames on the movie's time line: its edits' duration.
int64_t sound_frames(Movie movie, double rate) {
    int64_t duration = 0;
    for (const qtrt::edit_entry& e : sound_track(movie)->edits) duration += e.track_duration;
    return std::llround(double(duration) * rate / qtrt::GetMovieTimeScale(movie));
}

struct compressed_case {
    const char* name;
    double rate;
    std::vector<uint32_t> tracks;  // channels of each sound track, whose reference is NAME.audioI.f32be
    uint32_t bits;                 // the source depth the default description reports
};

class CompressedSound : public testing::TestWithParam<compressed_case> {};

TEST_P(CompressedSound, DecodesAsDebiansFfmpegOnTheMoviesTimeLine) {
    SKIP_WITHOUT_DECODER();
    const compressed_case& c = GetParam();
    const std::string name = c.name;
    uint32_t channels = 0;
    for (uint32_t n : c.tracks) channels += n;
    extraction x(data_path(name + ".mov"));
    ASSERT_TRUE(x.ok());
    EXPECT_EQ(x.default_description().mSampleRate, c.rate);
    ASSERT_EQ(x.channels(), channels);
    EXPECT_EQ(x.default_description().mBitsPerChannel, c.bits);

    // The tracks' channels side by side, in track order.
    std::vector<std::vector<float>> refs;
    size_t ref_frames = SIZE_MAX;
    for (size_t t = 0; t < c.tracks.size(); ++t) {
        refs.push_back(reference(data_path(name + ".audio" + std::to_string(t) + ".f32be")));
        ref_frames = std::min(ref_frames, refs.back().size() / c.tracks[t]);
    }
    ASSERT_GT(ref_frames, 0u);
    std::vector<float> want;
    for (size_t f = 0; f < ref_frames; ++f)
        for (size_t t = 0; t < refs.size(); ++t)
            want.insert(want.end(), refs[t].begin() + long(f * c.tracks[t]),
                        refs[t].begin() + long((f + 1) * c.tracks[t]));

    const std::vector<float> got = x.frames();
    const int64_t frames = int64_t(got.size() / channels);
    EXPECT_NEAR(double(frames), double(sound_frames(x.movie(), c.rate)), 1.0);
    EXPECT_EQ(first_difference(got, want), std::min(got.size(), want.size()));

    // From the middle after a seek: the decoder restarts a little earlier.
    const int64_t middle = frames / 2;
    x.seek(middle);
    const std::vector<float> after = x.frames(1000);
    ASSERT_EQ(after.size(), std::min<size_t>(1000, size_t(frames - middle)) * channels);
    EXPECT_EQ(first_difference(after, want, size_t(middle) * channels), after.size());
}

INSTANTIATE_TEST_SUITE_P(Movies, CompressedSound,
                         testing::Values(compressed_case{"aac_stereo_h264", 44100, {2}, 16},
                                         compressed_case{"aac_51", 24000, {6}, 16},
                                         compressed_case{"he_aac", 44100, {2}, 16},
                                         compressed_case{"alac_24", 48000, {2}, 24},
                                         compressed_case{"ima4_mono", 22050, {1}, 16},
                                         compressed_case{"mp3_stereo", 44100, {2}, 16},
                                         compressed_case{"ac3_stereo", 48000, {2}, 16},
                                         compressed_case{"eac3_stereo", 48000, {2}, 16},
                                         compressed_case{"flac_stereo", 44100, {2}, 24},
                                         compressed_case{"opus_stereo", 48000, {2}, 16},
                                         compressed_case{"gsm_mono", 8000, {1}, 16},
                                         compressed_case{"aac_beside_pcm", 44100, {2, 1}, 16}),
                         [](const testing::TestParamInfo<compressed_case>& info) { return info.param.name; });

// A copy of a movie in the output folder with bytes changed by `change`,
// given the file and the sound media of the original.
std::string damaged_copy(const std::string& name,
                         void (*change)(std::vector<uint8_t>& file, const qtrt::media_model& media)) {
    std::vector<uint8_t> file = test_movie::read_bytes(data_path(name + ".mov"));
    extraction original(data_path(name + ".mov"));
    if (!original.ok()) return "";
    change(file, sound_track(original.movie())->media);
    const std::string path = output_path("damaged.mov");
    return test_movie::write_bytes(file, path) ? path : "";
}

TEST(CompressedSoundFaults, PacketThatDoesNotDecodeIsSilenceAndOneWarning) {
    SKIP_WITHOUT_DECODER();
    const std::string path = damaged_copy("aac_51", [](std::vector<uint8_t>& file, const qtrt::media_model& media) {
        const qtrt::sample_info s = media.samples.sample(2);
        std::fill(file.begin() + long(s.offset), file.begin() + long(s.offset + s.size), 0x00);
    });
    ASSERT_FALSE(path.empty());
    std::vector<float> clean, damaged;
    movie_test::warning_log warnings;
    {
        extraction x(data_path("aac_51.mov"));
        clean = x.frames();
    }
    {
        extraction x(path);
        ASSERT_TRUE(x.ok());
        damaged = x.frames();
    }
    std::remove(path.c_str());
    ASSERT_EQ(warnings.lines.size(), 1u);
    EXPECT_NE(warnings.lines[0].find("sound track 1 ('mp4a'): packet 3 ("), std::string::npos) << warnings.lines[0];
    // The media starts with 1024 priming frames, which the movie's edit skips:
    // packet 3 (media frames 2048 to 3071) is output frames 1024 to 2047.
    ASSERT_EQ(damaged.size(), clean.size());
    for (size_t i = 1024 * 6; i < 2048 * 6; ++i) ASSERT_EQ(damaged[i], 0.0f) << i;
    EXPECT_EQ(first_difference(damaged, clean), 1024u * 6);
    EXPECT_EQ(first_difference(std::vector<float>(damaged.begin() + 4096 * 6, damaged.end()), clean, 4096 * 6),
              damaged.size() - 4096 * 6);
}

TEST(CompressedSoundFaults, PacketLargerThanAnyOfItsFormatIsNotRead) {
    SKIP_WITHOUT_DECODER();
    // The size of the last packet in 'stsz' (after its size, type, version and
    // flags, sample size and count) claims 2 GB.
    const std::string path =
        damaged_copy("mp3_stereo", [](std::vector<uint8_t>& file, const qtrt::media_model& media) {
            const int64_t stsz =
                test_movie::find_atom(file, test_movie::atom_path("moov trak mdia minf stbl stsz"));
            ASSERT_GT(stsz, 0);
            file[size_t(stsz) + 20 + 4 * (media.samples.count() - 1)] = 0x7F;
        });
    ASSERT_FALSE(path.empty());
    movie_test::warning_log warnings;
    extraction x(path);
    ASSERT_TRUE(x.ok());
    const std::vector<float> got = x.frames();
    std::remove(path.c_str());
    EXPECT_EQ(int64_t(got.size() / 2), sound_frames(x.movie(), 44100));
    ASSERT_EQ(warnings.lines.size(), 1u);
    EXPECT_NE(warnings.lines[0].find("larger than any packet"), std::string::npos) << warnings.lines[0];
}

// The ADPCM of the WAV layout as QuickTime writes it: a version 1
// description, a WAVEFORMATEX in an atom named as the format inside 'wave',
// media samples counted in frames. Every block starts each channel at 1000
// and its 4-bit codes are 0, which keep it there.
struct wav_adpcm_case {
    const char* name;
    uint32_t format;
    uint32_t header_bytes;  // per channel
    uint32_t block_frames;  // of a 512-byte stereo block
};

class WavAdpcm : public testing::TestWithParam<wav_adpcm_case> {};

TEST_P(WavAdpcm, BlocksOfTheWaveFormatDecode) {
    SKIP_WITHOUT_DECODER();
    const wav_adpcm_case& c = GetParam();
    constexpr uint32_t kBlock = 512, kBlocks = 4;
    test_movie::bytes wfex;  // little-endian
    for (uint32_t v : {uint32_t(c.format & 0xFFFF), 2u}) wfex.push_back(uint8_t(v)), wfex.push_back(uint8_t(v >> 8));
    for (uint32_t v : {44100u, 44100u * kBlock / c.block_frames})
        for (int i = 0; i < 4; ++i) wfex.push_back(uint8_t(v >> (8 * i)));
    for (uint32_t v : {kBlock, 4u, 2u, c.block_frames}) wfex.push_back(uint8_t(v)), wfex.push_back(uint8_t(v >> 8));
    test_movie::bytes wave = test_movie::atom(test_movie::fourcc("frma"), {uint8_t(c.format >> 24),
                                                                            uint8_t(c.format >> 16), uint8_t(c.format >> 8),
                                                                            uint8_t(c.format)});
    test_movie::put_bytes(wave, test_movie::atom(c.format, wfex));
    test_movie::movie_plan plan;
    test_movie::track_plan& t = plan.add_sound(c.format, 2, 16, 44100);
    t.descriptions[0] = test_movie::sound_description(c.format, 2, 16, 44100, 1, {{test_movie::fourcc("wave"), wave}});
    for (auto [at, v] : {std::pair<int, uint32_t>{36, c.block_frames}, {40, kBlock / 2}, {44, kBlock}, {48, 2}})
        test_movie::patch_u32(t.descriptions[0], uint64_t(at), v);
    test_movie::bytes block(kBlock, 0);
    for (uint32_t ch = 0; ch < 2; ++ch) {
        if (c.header_bytes == 4) {  // IMA: predictor, step index, reserved
            block[4 * ch] = 1000 & 0xFF, block[4 * ch + 1] = 1000 >> 8;
        } else {  // Microsoft: predictors, deltas, then the two first samples of each channel
            block[2 + 2 * ch] = 16;
            for (uint32_t s : {6u, 10u}) block[s + 2 * ch] = 1000 & 0xFF, block[s + 2 * ch + 1] = 1000 >> 8;
        }
    }
    t.samples_per_chunk = c.block_frames;
    for (uint32_t b = 0; b < kBlocks; ++b)
        for (uint32_t f = 0; f < c.block_frames; ++f) {
            test_movie::sample s;
            s.duration = 1;
            if (f == 0) s.data = block, s.size = kBlock;
            t.samples.push_back(s);
        }
    extraction x(plan);
    ASSERT_TRUE(x.ok());
    ASSERT_EQ(x.channels(), 2u);
    const std::vector<float> got = x.frames();
    // The movie's time scale (600) rounds the end up a little: silence.
    ASSERT_GE(got.size(), 2u * kBlocks * c.block_frames);
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], i < 2u * kBlocks * c.block_frames ? 1000.0f / 32768.0f : 0.0f) << i;
}

INSTANTIATE_TEST_SUITE_P(Formats, WavAdpcm,
                         testing::Values(wav_adpcm_case{"ima_wav", kFormatImaWav, 4, 505},
                                         wav_adpcm_case{"ms_adpcm", kFormatMsAdpcm, 7, 500}),
                         [](const testing::TestParamInfo<wav_adpcm_case>& info) { return info.param.name; });

}  // namespace
