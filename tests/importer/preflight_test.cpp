// preflight through the importer's interface: the movie info it publishes
// and the data formats it records.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "importer/importer_harness.h"
#include "support/fixture_files.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;

Ruv::RPtr<Ruv::CM::RVideoTrackInfo> video_info(apple_qt& importer) {
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = importer.getMovieInfo();
    if (!info || info->getTrackCount() == 0) return nullptr;
    Ruv::RPtr<Ruv::CM::RTrackInfo> track = info->getTrack(0);
    if (track->getKind() != Ruv::CM::RTrackInfo::kVideo) return nullptr;
    return Ruv::RPtr<Ruv::CM::RVideoTrackInfo>(static_cast<Ruv::CM::RVideoTrackInfo*>(track.get()));
}

struct format_case {
    const char* name;
    uint32_t codec;
    int16_t depth;
    int profile;  // of an 'avcC' record; -1: none
    uint32_t published;
};

class VideoDataFormat : public ::testing::TestWithParam<format_case> {};

TEST_P(VideoDataFormat, PublishedInTheTrackInfo) {
    const format_case& c = GetParam();
    std::vector<test_movie::extension> extensions;
    if (c.profile >= 0)
        extensions.push_back({fourcc("avcC"), importer_test::avc_config_payload(
                                                  uint8_t(c.profile), 30, {{0x67, 1, 2}}, {{0x68, 3}})});
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(c.codec, 320, 240);
    video.descriptions[0] = test_movie::image_description(c.codec, 320, 240, c.depth, extensions);
    video.add_samples(5, 500, 60);
    harness h(movie, std::string("format_") + c.name);
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RVideoTrackInfo> info = video_info(h.importer());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getDataFormat(), c.published);
    // A format the mapping does not know leaves the stored codec in the
    // importer, which its frames carry.
    EXPECT_EQ(h.importer().video_data_format(),
              c.published == fourcc("_qt_") ? c.codec : c.published);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Mapping, VideoDataFormat,
    ::testing::Values(format_case{"raw24", fourcc("raw "), 24, -1, fourcc("rg24")},
                      format_case{"raw32", fourcc("raw "), 32, -1, fourcc("ar32")},
                      format_case{"jpeg", fourcc("jpeg"), 24, -1, fourcc("_qt_")},
                      format_case{"avc1_no_record", fourcc("avc1"), 24, -1, fourcc("h264")},
                      format_case{"avc1_profile_100", fourcc("avc1"), 24, 100, fourcc("h264")},
                      format_case{"avc1_profile_122", fourcc("avc1"), 24, 122, 0x32316834},
                      format_case{"avc1_profile_110", fourcc("avc1"), 24, 110, 0x32316834},
                      format_case{"h264_profile_144", fourcc("h264"), 24, 144, 0x32316834},
                      format_case{"h264_profile_77", fourcc("h264"), 24, 77, fourcc("h264")}),
    [](const ::testing::TestParamInfo<format_case>& info) { return std::string(info.param.name); });

TEST(VideoDataFormat, DescriptionsOfDifferentSizeGiveQtInTheInfoAndTheCodecInTheImporter) {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(fourcc("avc1"), 320, 240);
    video.descriptions.push_back(test_movie::image_description(fourcc("avc1"), 640, 480));
    video.add_samples(4, 500, 60);
    video.samples[2].description = 2;
    video.samples[3].description = 2;
    harness h(movie, "two_sizes");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RVideoTrackInfo> info = video_info(h.importer());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getDataFormat(), fourcc("_qt_"));
    EXPECT_EQ(h.importer().video_data_format(), fourcc("avc1"));
}

// DNxHD 36 is compression ID 1253; an 'ARES' atom too short to hold an ID
// gives none.
TEST(DnxhdVariant, ComesFromTheAresCompressionId) {
    harness real(test_fixtures::data_path("dnxhd36.mov"));
    ASSERT_EQ(real.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RVideoTrackInfo> info = video_info(real.importer());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getDataFormat(), fourcc("AVdn"));
    EXPECT_EQ(info->getVariant(), fourcc("dn8l"));

    test_movie::bytes payload(8, 0);
    harness short_atom(importer_test::video_movie(fourcc("AVdn"), 3, 60, {{fourcc("ARES"), payload}}),
                       "ares_short");
    ASSERT_EQ(short_atom.preflight(), 0);
    info = video_info(short_atom.importer());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getVariant(), 0u);
}

TEST(MovieInfo, SoundOnlyMovieHasOneAudioTrackInfoAtIndexZero) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    test_movie::movie_plan movie;
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    harness h(movie, "sound_only");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
    ASSERT_TRUE(info);
    ASSERT_EQ(info->getTrackCount(), 1u);
    Ruv::RPtr<Ruv::CM::RTrackInfo> track = info->getTrack(0);
    ASSERT_EQ(track->getKind(), Ruv::CM::RTrackInfo::kAudio);
    EXPECT_EQ(track->getIndex(), 0u);
    EXPECT_EQ(track->getDataFormat(), fourcc("f32b"));
    EXPECT_EQ(h.importer().audio_data_format(), fourcc("f32b"));
    const auto& audio = static_cast<const Ruv::CM::RAudioTrackInfo&>(*track);
    EXPECT_EQ(audio.getChannels(), 2u);
    EXPECT_DOUBLE_EQ(audio.getSampleRate().toDouble(), 48000.0);
}

// A fuzzer's input (8 KB) whose sound edit plays 534,790 s past its media:
// the sound lasts the whole edit, so a host learns before it configures that
// it asks for six days of silence.
TEST(MovieInfo, SoundEditFarPastItsMediaLastsTheWholeEdit) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    harness h(std::string(RUV_TEST_DATA_DIR) + "/fuzz_slow/sound_edit_six_days_past_media.mov");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
    ASSERT_TRUE(info);
    ASSERT_EQ(info->getTrackCount(), 2u);
    EXPECT_NEAR(info->getTrack(1)->getDuration().getSecondsAsDouble(), 534790.177, 0.001);
}

struct published_case {
    const char* name;
    std::vector<test_movie::edit> video_edits;
    double video_duration;  // the video track's edits
    double movie_duration;  // the movie's: the longer of video and sound
};

class PublishedTrackFacts : public ::testing::TestWithParam<published_case> {};

// Both tracks start at 0; the video lasts as long as its track, the sound as
// the whole movie, whatever the edits trim or leave empty.
TEST_P(PublishedTrackFacts, StartsAtZeroAndLastAsTrackAndMovie) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    const published_case& c = GetParam();
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 180, 20);
    for (size_t i = 0; i < 180; ++i) movie.tracks[0].samples[i].sync = i % 60 == 0;
    for (const test_movie::edit& e : c.video_edits) movie.tracks[0].add_edit(e.duration, e.media_time);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    harness h(movie, "published");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
    ASSERT_TRUE(info);
    ASSERT_EQ(info->getTrackCount(), 2u);
    Ruv::RPtr<Ruv::CM::RTrackInfo> video = info->getTrack(0);
    Ruv::RPtr<Ruv::CM::RTrackInfo> audio = info->getTrack(1);
    EXPECT_DOUBLE_EQ(video->getStart().getSecondsAsDouble(), 0.0);
    EXPECT_NEAR(video->getDuration().getSecondsAsDouble(), c.video_duration, 1e-9);
    EXPECT_DOUBLE_EQ(audio->getStart().getSecondsAsDouble(), 0.0);
    EXPECT_NEAR(audio->getDuration().getSecondsAsDouble(), c.movie_duration, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, PublishedTrackFacts,
    testing::Values(
        // Sync sample at 2.0 s, edit from 2.5 s.
        published_case{"TrimmedHead", {{600, 1500}}, 1.0, 1.0},
        published_case{"TrimmedTail", {{1200, 0}}, 2.0, 2.0},
        published_case{"EmptyEditFirst", {{300, -1}, {600, 1500}}, 1.5, 1.5},
        published_case{"SoundLongerThanVideo", {{300, 1500}}, 0.5, 1.0}),
    [](const testing::TestParamInfo<published_case>& info) { return info.param.name; });

TEST(Preflight, FileThatIsNoMovieAnswersMinusOneAndLeavesNoInfo) {
    std::string path = std::string(RUV_OUTPUT_DIR) + "/importer_test_" + std::to_string(getpid()) +
                       "_text.mov";
    ASSERT_TRUE(test_movie::write_bytes(test_movie::bytes(200, 'a'), path));
    {
        harness h(path);
        EXPECT_EQ(h.preflight(), -1);
        EXPECT_EQ(h.importer().getStatus().getStatusCode(), 0u);
        EXPECT_TRUE(h.importer().getMovieInfo().isNull());
    }
    std::remove(path.c_str());
}

struct path_case {
    const char* name;
    const char* file_name;
    bool as_file_url;
};

class InputPath : public ::testing::TestWithParam<path_case> {};

// A plain path is escaped behind "file:///"; a file URL is opened as it is.
TEST_P(InputPath, OpensThroughItsFileUrl) {
    const path_case& c = GetParam();
    std::string path = std::string(RUV_OUTPUT_DIR) + "/importer_test_" + std::to_string(getpid()) +
                       "_" + c.file_name;
    ASSERT_TRUE(test_movie::write_movie(importer_test::video_movie(fourcc("avc1")), path));
    {
        // A path with a drive letter (Windows) takes one more slash.
        harness h(!c.as_file_url ? path : path[0] == '/' ? "file://" + path : "file:///" + path);
        EXPECT_EQ(h.preflight(), 0) << path;
        EXPECT_TRUE(video_info(h.importer()));
    }
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(path), ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InputPath,
    ::testing::Values(path_case{"space_and_accent", "with space \xC3\xA9.mov", false},
                      path_case{"file_url", "url.mov", true}),
    [](const ::testing::TestParamInfo<path_case>& info) { return std::string(info.param.name); });

TEST(Preflight, EmptyPathThrowsTheInvalidPathError) {
    harness h(std::string(""));
    importer_test::expect_importer_exception([&] { h.preflight(); }, 1248, "apple_qt::preflight",
                                             "*** ERROR ***: Infile path is not valid");
}

}  // namespace
