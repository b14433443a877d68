// preflight through the importer's interface: the movie info it publishes
// and the data formats it records.
#include <gtest/gtest.h>

#include "importer/importer_harness.h"

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

// The format the track info publishes, and the one the importer records for
// its frames: a format the mapping does not know, or descriptions of
// different sizes, give '_qt_' there and leave the stored codec here. (JPEG
// and High profile 'avcC' records: the conformance test, on real movies.)
TEST(VideoDataFormat, PublishedInTheTrackInfo) {
    struct format_case {
        uint32_t codec;
        int16_t depth;
        int profile;       // of an 'avcC' record; -1: none
        bool second_size;  // the last samples with a description of 640 x 480
        uint32_t published;
    };
    const uint32_t h264_high = 0x32316834;
    for (const format_case& c : {format_case{fourcc("raw "), 24, -1, false, fourcc("rg24")},
                                 format_case{fourcc("raw "), 32, -1, false, fourcc("ar32")},
                                 format_case{fourcc("avc1"), 24, -1, false, fourcc("h264")},
                                 format_case{fourcc("avc1"), 24, -1, true, fourcc("_qt_")},
                                 format_case{fourcc("avc1"), 24, 122, false, h264_high},
                                 format_case{fourcc("avc1"), 24, 110, false, h264_high},
                                 format_case{fourcc("h264"), 24, 144, false, h264_high},
                                 format_case{fourcc("h264"), 24, 77, false, fourcc("h264")}}) {
        SCOPED_TRACE(testing::Message() << c.codec << " depth " << c.depth << " profile "
                                        << c.profile << " second size " << c.second_size);
        std::vector<test_movie::extension> extensions;
        if (c.profile >= 0)
            extensions.push_back(
                {fourcc("avcC"), importer_test::avc_config_payload(uint8_t(c.profile), 30,
                                                                   {{0x67, 1, 2}}, {{0x68, 3}})});
        test_movie::movie_plan movie;
        test_movie::track_plan& video = movie.add_video(c.codec, 320, 240);
        video.descriptions[0] =
            test_movie::image_description(c.codec, 320, 240, c.depth, extensions);
        video.add_samples(5, 500, 60);
        if (c.second_size) {
            video.descriptions.push_back(test_movie::image_description(c.codec, 640, 480));
            for (size_t i = 3; i < 5; ++i) video.samples[i].description = 2;
        }
        harness h(movie, "format");
        ASSERT_EQ(h.preflight(), 0);
        Ruv::RPtr<Ruv::CM::RVideoTrackInfo> info = video_info(h.importer());
        ASSERT_TRUE(info);
        EXPECT_EQ(info->getDataFormat(), c.published);
        EXPECT_EQ(h.importer().video_data_format(),
                  c.published == fourcc("_qt_") ? c.codec : c.published);
        EXPECT_EQ(h.importer().getStatus().getStatusCode(), 1u);
    }
}

// An 'ARES' atom too short to hold a compression ID gives no DNxHD variant.
// (The variant of a whole one: the conformance test, on dnxhd36.mov.)
TEST(DnxhdVariant, AresAtomTooShortForTheCompressionIdGivesNone) {
    harness h(importer_test::video_movie(fourcc("AVdn"), 3, 60,
                                         {{fourcc("ARES"), test_movie::bytes(8, 0)}}),
              "ares_short");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RVideoTrackInfo> info = video_info(h.importer());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getVariant(), 0u);
}

TEST(MovieInfo, SoundOnlyMovieHasOneAudioTrackInfoAtIndexZero) {
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
    harness h(std::string(RUV_TEST_DATA_DIR) + "/fuzz_slow/sound_edit_six_days_past_media.mov");
    ASSERT_EQ(h.preflight(), 0);
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
    ASSERT_TRUE(info);
    ASSERT_EQ(info->getTrackCount(), 2u);
    EXPECT_NEAR(info->getTrack(1)->getDuration().getSecondsAsDouble(), 534790.177, 0.001);
}

// Both tracks start at 0; the video lasts as long as its track, the sound as
// the whole movie, whatever the edits trim or leave empty. The video has a
// sync sample at 2.0 s and its edits show media from 2.5 s or from 0.
TEST(MovieInfo, TracksStartAtZeroAndLastAsTrackAndMovie) {
    struct published_case {
        std::vector<test_movie::edit> video_edits;
        double video_duration;  // the video track's edits
        double movie_duration;  // the movie's: the longer of video and sound
    };
    for (const published_case& c :
         {published_case{{{600, 1500}}, 1.0, 1.0}, published_case{{{1200, 0}}, 2.0, 2.0},
          published_case{{{300, -1}, {600, 1500}}, 1.5, 1.5},
          published_case{{{300, 1500}}, 0.5, 1.0}}) {
        SCOPED_TRACE(c.video_duration);
        test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 180, 20);
        for (size_t i = 0; i < 180; ++i) movie.tracks[0].samples[i].sync = i % 60 == 0;
        for (const test_movie::edit& e : c.video_edits)
            movie.tracks[0].add_edit(e.duration, e.media_time);
        movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
        harness h(movie, "published");
        ASSERT_EQ(h.preflight(), 0);
        Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
        ASSERT_TRUE(info);
        ASSERT_EQ(info->getTrackCount(), 2u);
        for (unsigned t = 0; t < 2; ++t)
            EXPECT_DOUBLE_EQ(info->getTrack(t)->getStart().getSecondsAsDouble(), 0.0) << t;
        EXPECT_NEAR(info->getTrack(0)->getDuration().getSecondsAsDouble(), c.video_duration, 1e-9);
        EXPECT_NEAR(info->getTrack(1)->getDuration().getSecondsAsDouble(), c.movie_duration, 1e-9);
    }
}

TEST(Preflight, FileThatIsNoMovieAnswersMinusOneAndLeavesNoInfo) {
    harness h(test_movie::bytes(200, 'a'), "text");
    EXPECT_EQ(h.preflight(), -1);
    EXPECT_EQ(h.importer().getStatus().getStatusCode(), 0u);
    EXPECT_TRUE(h.importer().getMovieInfo().isNull());
}

// A plain path is escaped behind "file:///"; a file URL is opened as it is
// (with one more slash before a Windows drive letter).
TEST(Preflight, OpensAPlainPathAndAFileUrl) {
    harness plain(importer_test::video_movie(fourcc("avc1")), "with space \xC3\xA9");
    harness written(importer_test::video_movie(fourcc("avc1")), "url");
    harness url((written.path()[0] == '/' ? "file://" : "file:///") + written.path());
    for (harness* h : {&plain, &url}) {
        EXPECT_EQ(h->preflight(), 0) << h->path();
        EXPECT_TRUE(video_info(h->importer()));
    }
}

TEST(Preflight, EmptyPathThrowsTheInvalidPathError) {
    harness h(std::string(""));
    importer_test::expect_importer_exception([&] { h.preflight(); }, 1248, "apple_qt::preflight",
                                             "*** ERROR ***: Infile path is not valid");
}

}  // namespace
