// The runtime's extracted sound of real movies against another tool's decoding
// of the same movies, through the public routines as the importer calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "movie/movie_toolbox.h"

using namespace qtrt::audio;

namespace {

Movie open_movie(const std::string& path) {
    CFStringRef string = qtrt::CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, string, kCFURLPOSIXPathStyle, false);
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0};
    Movie movie = nullptr;
    const OSErr err = qtrt::NewMovieFromProperties(1, &property, 0, nullptr, &movie);
    qtrt::CFRelease(url);
    qtrt::CFRelease(string);
    return err == noErr ? movie : nullptr;
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct movie_closer {
    Movie movie;
    ~movie_closer() {
        if (movie) qtrt::DisposeMovie(movie);
    }
};

struct fixture_case {
    const char* name;
    double rate;
    uint32_t channels;
    uint32_t bits;
};

class FixtureSound : public testing::TestWithParam<fixture_case> {};

// Extracts the whole movie as the importer asks for it: discrete channels,
// interleaved 32-bit big-endian float, in buffers of 1,602 frames.
TEST_P(FixtureSound, ExtractedFloatsEqualTheReferenceDecoding) {
    const fixture_case& c = GetParam();
    const std::string base = std::string(RUV_TEST_DATA_DIR) + "/" + c.name;
    const std::vector<uint8_t> expected = read_file(base + ".audio0.f32be");
    if (expected.empty() || !std::ifstream(base + ".mov")) GTEST_SKIP() << "fixture not in tests/data";
    movie_closer movie{open_movie(base + ".mov")};
    ASSERT_NE(movie.movie, nullptr);

    MovieAudioExtractionRef session = nullptr;
    ASSERT_EQ(qtrt::MovieAudioExtractionBegin(movie.movie, 0, &session), noErr);
    const Boolean discrete = 1;
    EXPECT_EQ(qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                                    kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete,
                                                    sizeof discrete, &discrete),
              noErr);
    AudioStreamBasicDescription asbd{};
    ByteCount used = 0;
    ASSERT_EQ(qtrt::MovieAudioExtractionGetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    sizeof asbd, &asbd, &used),
              noErr);
    EXPECT_EQ(used, sizeof asbd);
    EXPECT_EQ(asbd.mSampleRate, c.rate);
    EXPECT_EQ(asbd.mChannelsPerFrame, c.channels);
    EXPECT_EQ(asbd.mBitsPerChannel, c.bits);
    asbd.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;
    asbd.mBitsPerChannel = 32;
    asbd.mBytesPerFrame = asbd.mBytesPerPacket = 4 * asbd.mChannelsPerFrame;
    ASSERT_EQ(qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    sizeof asbd, &asbd),
              noErr);

    std::vector<uint8_t> extracted, buffer(1602 * asbd.mBytesPerFrame);
    for (;;) {
        AudioBufferList list{1, {{asbd.mChannelsPerFrame, uint32_t(buffer.size()), buffer.data()}}};
        uint32_t frames = 1602, flags = 0;
        ASSERT_EQ(qtrt::MovieAudioExtractionFillBuffer(session, &frames, &list, &flags), noErr);
        if (flags & kQTMovieAudioExtractionComplete) {
            EXPECT_EQ(frames, 0u);
            break;
        }
        ASSERT_GT(frames, 0u);
        extracted.insert(extracted.end(), buffer.begin(), buffer.begin() + frames * asbd.mBytesPerFrame);
    }
    EXPECT_EQ(qtrt::MovieAudioExtractionEnd(session), noErr);
    ASSERT_EQ(extracted.size(), expected.size());
    EXPECT_TRUE(extracted == expected);
}

INSTANTIATE_TEST_SUITE_P(Movies, FixtureSound,
                         testing::Values(fixture_case{"h264_bframes_tc", 48000, 2, 16},
                                         fixture_case{"h264_2997_dropframe", 48000, 1, 16},
                                         fixture_case{"prores_in24", 48000, 2, 24},
                                         fixture_case{"dv_pal_sowt", 48000, 2, 16},
                                         fixture_case{"audio_only_44k", 44100, 2, 16}),
                         [](const testing::TestParamInfo<fixture_case>& info) { return info.param.name; });

TEST(FixtureTime, SeekingToASecondHalfReadsOnFromThere) {
    const std::string base = std::string(RUV_TEST_DATA_DIR) + "/audio_only_44k";
    const std::vector<uint8_t> expected = read_file(base + ".audio0.f32be");
    if (expected.empty() || !std::ifstream(base + ".mov")) GTEST_SKIP() << "fixture not in tests/data";
    movie_closer movie{open_movie(base + ".mov")};
    ASSERT_NE(movie.movie, nullptr);
    MovieAudioExtractionRef session = nullptr;
    ASSERT_EQ(qtrt::MovieAudioExtractionBegin(movie.movie, 0, &session), noErr);
    AudioStreamBasicDescription asbd{};
    ASSERT_EQ(qtrt::MovieAudioExtractionGetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    sizeof asbd, &asbd, nullptr),
              noErr);
    asbd.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;
    asbd.mBitsPerChannel = 32;
    asbd.mBytesPerFrame = asbd.mBytesPerPacket = 8;
    ASSERT_EQ(qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    sizeof asbd, &asbd),
              noErr);

    // The movie's time scale is 1000: 500 is half a second, frame 22,050.
    TimeRecord time{};
    time.value.lo = 500;
    time.scale = 1000;
    ASSERT_EQ(qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                                    kQTMovieAudioExtractionMoviePropertyID_CurrentTime,
                                                    sizeof time, &time),
              noErr);
    TimeRecord now{};
    ASSERT_EQ(qtrt::MovieAudioExtractionGetProperty(session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                                    kQTMovieAudioExtractionMoviePropertyID_CurrentTime,
                                                    sizeof now, &now, nullptr),
              noErr);
    EXPECT_EQ(double(now.value.lo) / now.scale, 0.5);

    std::vector<uint8_t> buffer(100 * 8);
    AudioBufferList list{1, {{2, uint32_t(buffer.size()), buffer.data()}}};
    uint32_t frames = 100, flags = 0;
    ASSERT_EQ(qtrt::MovieAudioExtractionFillBuffer(session, &frames, &list, &flags), noErr);
    ASSERT_EQ(frames, 100u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), expected.begin() + 22050 * 8));
    EXPECT_EQ(qtrt::MovieAudioExtractionEnd(session), noErr);
}

TEST(FixtureSilentMovies, MovieWithoutSoundCannotBeginAnExtraction) {
    const std::string path = std::string(RUV_TEST_DATA_DIR) + "/raw_rgb24.mov";
    if (!std::ifstream(path)) GTEST_SKIP() << "fixture not in tests/data";
    movie_closer movie{open_movie(path)};
    ASSERT_NE(movie.movie, nullptr);
    MovieAudioExtractionRef session = reinterpret_cast<MovieAudioExtractionRef>(1);
    EXPECT_EQ(qtrt::MovieAudioExtractionBegin(movie.movie, 0, &session), noSoundTrackInMovieErr);
    EXPECT_EQ(session, nullptr);
}

TEST(ExtractionReferences, UnknownSessionIsRefused) {
    int not_a_session = 0;
    auto ref = reinterpret_cast<MovieAudioExtractionRef>(&not_a_session);
    uint32_t frames = 1, flags = 0;
    AudioBufferList list{};
    EXPECT_EQ(qtrt::MovieAudioExtractionFillBuffer(ref, &frames, &list, &flags), paramErr);
    EXPECT_EQ(qtrt::MovieAudioExtractionEnd(ref), paramErr);
    EXPECT_EQ(qtrt::MovieAudioExtractionBegin(nullptr, 0, &ref), invalidMovie);
}

}  // namespace
