// configure through the importer's interface: the time range, the exported
// queues and the descriptions they are given.
#include <gtest/gtest.h>

#include <cstring>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;

const harness::keys kVideo = {{"video", "0"}};

// 30 samples of 1/30 s: a movie of exactly one second.
test_movie::movie_plan one_second_movie() { return importer_test::video_movie(fourcc("avc1"), 30, 20); }

// The value a parameter of that exact size holds.
template <class T>
T value_of(const std::vector<uint8_t>& parameter) {
    T value{};
    EXPECT_EQ(parameter.size(), sizeof value);
    if (parameter.size() == sizeof value) std::memcpy(&value, parameter.data(), sizeof value);
    return value;
}

// A start up to the duration is accepted; one a microsecond past it, or
// after the end, is refused.
TEST(TimeRange, StartPastTheDurationOrTheEndThrowsTheStartTimeError) {
    struct range_case {
        const char* start;
        const char* end;  // null: key absent
        bool accepted;
    };
    for (const range_case& c :
         {range_case{"1.0", nullptr, true}, range_case{"1.000001", nullptr, false},
          range_case{"0.5", "0.25", false}}) {
        SCOPED_TRACE(c.start);
        harness h(one_second_movie(), "range", {{"video", "0"}, {"start-time", c.start}});
        if (c.end) h.set("end-time", c.end);
        ASSERT_EQ(h.preflight(), 0);
        if (c.accepted)
            EXPECT_EQ(h.configure(), 0);
        else
            importer_test::expect_importer_exception([&] { h.configure(); }, 1191,
                                                     "apple_qt::configure",
                                                     "*** ERROR ***: Start time exceeds duration");
    }
}

TEST(Export, VideoKeyAbsentLeavesTheVideoUnexportedAndUndescribed) {
    harness h(one_second_movie(), "video_absent");
    EXPECT_TRUE(h.import().empty());
    for (unsigned q = 0; q < harness::queue_count; ++q) EXPECT_FALSE(h.description(q)) << q;
    EXPECT_EQ(h.importer().getStatus().getNumberOfFrames(), 0u);
    EXPECT_FALSE(h.queue(0).isEnded());
}

TEST(Export, AudioKeyAbsentLeavesTheAudioUnexported) {
    test_movie::movie_plan movie = one_second_movie();
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    harness h(movie, "audio_absent", kVideo);
    ASSERT_TRUE(h.open());
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
    harness h(movie, "three_descriptions", kVideo);
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
    EXPECT_TRUE(h.parameter(0, "image_description").empty());
}

TEST(VideoDescription, AvcRecordGivesProfileLevelAndFramedParameterSets) {
    test_movie::bytes sps = {0x67, 0x64, 0x00, 0x1F, 0xAC, 0xD9, 0x40, 0x50, 0x05, 0xBB};
    test_movie::bytes pps = {0x68, 0xEB, 0xE3, 0xCB};
    test_movie::extension avcc{fourcc("avcC"), importer_test::avc_config_payload(100, 31, {sps}, {pps})};
    harness h(importer_test::video_movie(fourcc("avc1"), 5, 60, {avcc}), "avcc_parameters", kVideo);
    ASSERT_TRUE(h.open());

    std::vector<uint8_t> sps_parameter = h.parameter(0, "h264SequenceParameterSet");
    ASSERT_EQ(sps_parameter.size(), 14u);
    EXPECT_EQ(std::vector<uint8_t>(sps_parameter.begin(), sps_parameter.begin() + 4),
              (std::vector<uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(sps_parameter.begin() + 4, sps_parameter.end()), sps);
    EXPECT_EQ(h.parameter(0, "h264PictureParameterSet"),
              (std::vector<uint8_t>{0, 0, 0, 1, 0x68, 0xEB, 0xE3, 0xCB}));

    EXPECT_EQ(value_of<uint32_t>(h.parameter(0, "video_profile")), 100u);
    EXPECT_EQ(value_of<uint32_t>(h.parameter(0, "video_level")), 31u);
    EXPECT_EQ(h.parameter(0, "h264Profile"), (std::vector<uint8_t>{100}));
    EXPECT_EQ(h.parameter(0, "h264Level"), (std::vector<uint8_t>{31}));
    EXPECT_EQ(h.parameter(0, "b264Size"), (std::vector<uint8_t>{4}));
}

TEST(VideoDescription, AvcRecordCutInsideItsSetsAddsOnlyTheHeaderParameters) {
    test_movie::bytes payload = importer_test::avc_config_payload(77, 30, {{0x67, 1, 2, 3}}, {});
    payload.resize(9);  // the set's length says 4 bytes, 1 remains
    test_movie::extension avcc{fourcc("avcC"), payload};
    harness h(importer_test::video_movie(fourcc("avc1"), 5, 60, {avcc}), "avcc_cut", kVideo);
    ASSERT_TRUE(h.open());
    EXPECT_FALSE(h.parameter(0, "b264Size").empty());
    EXPECT_TRUE(h.parameter(0, "h264SequenceParameterSet").empty());
    EXPECT_TRUE(h.parameter(0, "h264PictureParameterSet").empty());
    EXPECT_FALSE(h.parameter(0, "image_description").empty());
}

TEST(VideoDescription, CleanApertureAndDecoderConfigurationBecomeParameters) {
    test_movie::bytes esds = {0, 0, 0, 0, 3, 25, 0, 1, 0, 4, 17, 32, 17};
    harness h(importer_test::video_movie(fourcc("mp4v"), 5, 60,
                                         {{fourcc("clap"), test_movie::clap(300, 1, 200, 1)},
                                          {fourcc("esds"), esds}}),
              "clap_esds", kVideo);
    ASSERT_TRUE(h.open());
    Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(0);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->getParameterName(0), "clap_width");
    EXPECT_EQ(d->getParameterName(1), "clap_height");
    EXPECT_DOUBLE_EQ(value_of<double>(h.parameter(0, "clap_width")), 300.0);
    EXPECT_DOUBLE_EQ(value_of<double>(h.parameter(0, "clap_height")), 200.0);
    EXPECT_FALSE(h.parameter(0, "decoderSpecific").empty());
    EXPECT_TRUE(h.parameter(0, "video_profile").empty());
}

// Without a 'fiel' extension the field mode follows the codec; with one, the
// extension wins.
TEST(VideoDescription, FieldModeFollowsTheFielExtensionElseTheCodec) {
    struct field_case {
        uint32_t codec;
        bool fiel;  // a 'fiel' extension of two fields, top first
        unsigned field_mode;
    };
    for (const field_case& c :
         {field_case{fourcc("dvc "), false, 2}, field_case{fourcc("mx5p"), false, 1},
          field_case{fourcc("xdv7"), false, 3}, field_case{fourcc("avc1"), false, 0},
          field_case{fourcc("dvc "), true, 3}}) {
        SCOPED_TRACE(c.codec);
        std::vector<test_movie::extension> extensions;
        if (c.fiel) extensions.push_back({fourcc("fiel"), test_movie::fiel(1, 0)});
        harness h(importer_test::video_movie(c.codec, 5, 60, extensions), "field", kVideo);
        ASSERT_TRUE(h.open());
        Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(0);
        ASSERT_TRUE(d);
        EXPECT_EQ(static_cast<const Ruv::CM::RVideoDescription&>(*d).getFieldMode(), c.field_mode);
    }
}

}  // namespace
