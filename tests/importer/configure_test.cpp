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

// Without the audio key the sound is neither exported nor described. (The
// video without its key: the delivery test that exports only the sound.)
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
    EXPECT_FALSE(h.parameter(0, "image_description").empty());

    // The descriptions left the reader with the first configure.
    ASSERT_EQ(h.configure(), 0);
    EXPECT_TRUE(h.parameter(0, "image_description").empty());
}

// An 'avcC' record cut inside its sequence set, or inside its picture set,
// gives the header's parameters and the sets read whole before the cut.
// (What a whole record gives, and the image description's bytes: the
// conformance test, on real movies.)
TEST(VideoDescription, AvcRecordCutInsideItsSetsGivesOnlyTheWholeSets) {
    for (bool in_picture_set : {false, true}) {
        SCOPED_TRACE(in_picture_set);
        test_movie::bytes payload =
            importer_test::avc_config_payload(77, 30, {{0x67, 1, 2, 3}}, {{0x68, 1, 2, 3}});
        // Either set's length says 4 bytes; 2 remain of the picture set, 1
        // of the sequence set.
        payload.resize(in_picture_set ? payload.size() - 2 : 9);
        test_movie::extension avcc{fourcc("avcC"), payload};
        harness h(importer_test::video_movie(fourcc("avc1"), 5, 60, {avcc}), "avcc_cut", kVideo);
        ASSERT_TRUE(h.open());
        EXPECT_EQ(h.parameter(0, "b264Size"), (std::vector<uint8_t>{4}));
        EXPECT_EQ(h.parameter(0, "h264SequenceParameterSet").empty(), !in_picture_set);
        EXPECT_TRUE(h.parameter(0, "h264PictureParameterSet").empty());
        EXPECT_FALSE(h.parameter(0, "image_description").empty());
    }
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
