// configure through the importer's interface: the time range, the exported
// queues and the descriptions they are given.
#include <gtest/gtest.h>

#include <cstring>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;

void expect_start_time_error(harness& h) {
    importer_test::expect_importer_exception([&] { h.configure(); }, 1191, "apple_qt::configure",
                                             "*** ERROR ***: Start time exceeds duration");
}

// 30 samples of 1/30 s: a movie of exactly one second.
test_movie::movie_plan one_second_movie() { return importer_test::video_movie(fourcc("avc1"), 30, 20); }

TEST(TimeRange, StartEqualToTheDurationIsAccepted) {
    harness h(one_second_movie(), "start_at_end");
    h.set("video", "0");
    h.set("start-time", "1.0");
    ASSERT_EQ(h.preflight(), 0);
    EXPECT_EQ(h.configure(), 0);
}

struct range_case {
    const char* name;
    const char* start;
    const char* end;  // null: key absent
};

class UnusableTimeRange : public ::testing::TestWithParam<range_case> {};

TEST_P(UnusableTimeRange, ThrowsTheStartTimeError) {
    const range_case& c = GetParam();
    harness h(one_second_movie(), std::string("range_") + c.name);
    h.set("video", "0");
    h.set("start-time", c.start);
    if (c.end) h.set("end-time", c.end);
    ASSERT_EQ(h.preflight(), 0);
    expect_start_time_error(h);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, UnusableTimeRange,
    ::testing::Values(range_case{"start_one_microsecond_after_the_end", "1.000001", nullptr},
                      range_case{"end_before_start", "0.5", "0.25"}),
    [](const ::testing::TestParamInfo<range_case>& info) { return std::string(info.param.name); });

TEST(Export, VideoKeyAbsentLeavesTheVideoUnexportedAndUndescribed) {
    harness h(one_second_movie(), "video_absent");
    ASSERT_EQ(h.preflight(), 0);
    ASSERT_EQ(h.configure(), 0);
    for (unsigned q = 0; q < harness::queue_count; ++q) EXPECT_FALSE(h.description(q)) << q;
    EXPECT_EQ(h.runloop(), 0);
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    EXPECT_FALSE(h.queue(0).isEnded());
}

TEST(Export, AudioKeyAbsentLeavesTheAudioUnexported) {
    if (!importer_test::sound_extraction_available())
        GTEST_SKIP() << "the runtime does not extract sound yet";
    test_movie::movie_plan movie = one_second_movie();
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    harness h(movie, "audio_absent");
    h.set("video", "0");
    ASSERT_EQ(h.preflight(), 0);
    ASSERT_EQ(h.configure(), 0);
    EXPECT_TRUE(h.description(0));
    for (unsigned q = 1; q < harness::queue_count; ++q) EXPECT_FALSE(h.description(q)) << q;
}

TEST(VideoDescription, ThreeImageDescriptionsAreNumberedFromOneAndPublishedOnce) {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(fourcc("avc1"), 320, 240);
    video.descriptions.push_back(test_movie::image_description(fourcc("avc1"), 320, 240));
    video.descriptions.push_back(test_movie::image_description(fourcc("avc1"), 320, 240));
    video.add_samples(3, 500, 60);
    video.samples[1].description = 2;
    video.samples[2].description = 3;
    harness h(movie, "three_descriptions");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(0);
    ASSERT_TRUE(d);
    std::vector<std::string> names;
    for (size_t i = 0; i < d->getParameterCount(); ++i) names.push_back(d->getParameterName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"image_description", "image_description_1",
                                               "image_description_2"}));
    std::vector<uint8_t> first = h.parameter(0, "image_description");
    ASSERT_GE(first.size(), 86u);
    uint32_t codec = 0;
    std::memcpy(&codec, first.data() + 4, 4);
    EXPECT_EQ(codec, fourcc("avc1"));
    int16_t data_reference_index = 1;
    std::memcpy(&data_reference_index, first.data() + 14, 2);
    EXPECT_EQ(data_reference_index, 0);

    // The descriptions left the reader with the first configure.
    ASSERT_EQ(h.configure(), 0);
    EXPECT_FALSE(h.has_parameter(0, "image_description"));
}

TEST(VideoDescription, AvcRecordGivesProfileLevelAndFramedParameterSets) {
    test_movie::bytes sps = {0x67, 0x64, 0x00, 0x1F, 0xAC, 0xD9, 0x40, 0x50, 0x05, 0xBB};
    test_movie::bytes pps = {0x68, 0xEB, 0xE3, 0xCB};
    test_movie::extension avcc{fourcc("avcC"), importer_test::avc_config_payload(100, 31, {sps}, {pps})};
    harness h(importer_test::video_movie(fourcc("avc1"), 5, 60, {avcc}), "avcc_parameters");
    h.set("video", "0");
    ASSERT_TRUE(h.open());

    std::vector<uint8_t> sps_parameter = h.parameter(0, "h264SequenceParameterSet");
    ASSERT_EQ(sps_parameter.size(), 14u);
    EXPECT_EQ(std::vector<uint8_t>(sps_parameter.begin(), sps_parameter.begin() + 4),
              (std::vector<uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(sps_parameter.begin() + 4, sps_parameter.end()), sps);
    EXPECT_EQ(h.parameter(0, "h264PictureParameterSet"),
              (std::vector<uint8_t>{0, 0, 0, 1, 0x68, 0xEB, 0xE3, 0xCB}));

    uint32_t profile = 0, level = 0;
    std::vector<uint8_t> value = h.parameter(0, "video_profile");
    ASSERT_EQ(value.size(), 4u);
    std::memcpy(&profile, value.data(), 4);
    value = h.parameter(0, "video_level");
    ASSERT_EQ(value.size(), 4u);
    std::memcpy(&level, value.data(), 4);
    EXPECT_EQ(profile, 100u);
    EXPECT_EQ(level, 31u);
    EXPECT_EQ(h.parameter(0, "h264Profile"), (std::vector<uint8_t>{100}));
    EXPECT_EQ(h.parameter(0, "h264Level"), (std::vector<uint8_t>{31}));
    EXPECT_EQ(h.parameter(0, "b264Size"), (std::vector<uint8_t>{4}));
}

TEST(VideoDescription, AvcRecordCutInsideItsSetsAddsOnlyTheHeaderParameters) {
    test_movie::bytes payload = importer_test::avc_config_payload(77, 30, {{0x67, 1, 2, 3}}, {});
    payload.resize(9);  // the set's length says 4 bytes, 1 remains
    test_movie::extension avcc{fourcc("avcC"), payload};
    harness h(importer_test::video_movie(fourcc("avc1"), 5, 60, {avcc}), "avcc_cut");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    EXPECT_TRUE(h.has_parameter(0, "b264Size"));
    EXPECT_FALSE(h.has_parameter(0, "h264SequenceParameterSet"));
    EXPECT_FALSE(h.has_parameter(0, "h264PictureParameterSet"));
    EXPECT_TRUE(h.has_parameter(0, "image_description"));
}

TEST(VideoDescription, CleanApertureAndDecoderConfigurationBecomeParameters) {
    test_movie::bytes esds = {0, 0, 0, 0, 3, 25, 0, 1, 0, 4, 17, 32, 17};
    harness h(importer_test::video_movie(fourcc("mp4v"), 5, 60,
                                         {{fourcc("clap"), test_movie::clap(300, 1, 200, 1)},
                                          {fourcc("esds"), esds}}),
              "clap_esds");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(0);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->getParameterName(0), "clap_width");
    EXPECT_EQ(d->getParameterName(1), "clap_height");
    double width = 0, height = 0;
    std::memcpy(&width, h.parameter(0, "clap_width").data(), 8);
    std::memcpy(&height, h.parameter(0, "clap_height").data(), 8);
    EXPECT_DOUBLE_EQ(width, 300.0);
    EXPECT_DOUBLE_EQ(height, 200.0);
    EXPECT_FALSE(h.parameter(0, "decoderSpecific").empty());
    EXPECT_FALSE(h.has_parameter(0, "video_profile"));
}

struct field_case {
    const char* name;
    uint32_t codec;
    unsigned field_mode;
};

class FieldModeDefault : public ::testing::TestWithParam<field_case> {};

TEST_P(FieldModeDefault, FollowsTheCodecWithoutFielExtension) {
    const field_case& c = GetParam();
    harness h(importer_test::video_movie(c.codec, 5, 60), std::string("field_") + c.name);
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(0);
    ASSERT_TRUE(d);
    EXPECT_EQ(static_cast<const Ruv::CM::RVideoDescription&>(*d).getFieldMode(), c.field_mode);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FieldModeDefault,
    ::testing::Values(field_case{"dvc", fourcc("dvc "), 2}, field_case{"mx5p", fourcc("mx5p"), 1},
                      field_case{"xdv7", fourcc("xdv7"), 3}, field_case{"avc1", fourcc("avc1"), 0}),
    [](const ::testing::TestParamInfo<field_case>& info) { return std::string(info.param.name); });

TEST(FieldMode, FielExtensionWinsOverTheCodecDefault) {
    harness h(importer_test::video_movie(fourcc("dvc "), 5, 60,
                                         {{fourcc("fiel"), test_movie::fiel(1, 0)}}),
              "field_fiel");
    h.set("video", "0");
    ASSERT_TRUE(h.open());
    EXPECT_EQ(static_cast<const Ruv::CM::RVideoDescription&>(*h.description(0)).getFieldMode(), 3u);
}

}  // namespace
