// Sample descriptions as the runtime hands them out: fixed fields in the
// machine's byte order, extensions unchanged; several descriptions per track;
// image description extensions by type and index.
#include <gtest/gtest.h>

#include <cstring>

#include "memory/memory_manager.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;
using test_movie::bytes;
using test_movie::fourcc;

const bytes kAres = {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 4, 0xD5};

// A video track with two descriptions (samples 0-2 use the first, 3-4 the
// second) and a sound track.
test_movie::movie_plan two_descriptions() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(
        test_movie::kAvc1, 720, 480,
        {{fourcc("pasp"), test_movie::pasp(4, 3)},
         {fourcc("ARES"), kAres},
         {fourcc("fiel"), test_movie::fiel(2, 9)},
         {fourcc("ARES"), bytes(20, 7)}});
    video.descriptions.push_back(test_movie::image_description(fourcc("apcn"), 640, 360, 32));
    video.add_samples(5, 10, 100);
    video.samples[3].description = 2;
    video.samples[4].description = 2;
    test_movie::track_plan& sound = plan.add_sound(test_movie::kTwos, 2, 16, 48000);
    sound.add_samples(4800, 4, 1);
    return plan;
}

class Descriptions : public ::testing::Test {
protected:
    void SetUp() override {
        m_movie = open_built(two_descriptions(), "descriptions.mov");
        ASSERT_NE(m_movie, nullptr);
        m_video = media_of_type(m_movie.get(), qt_fourcc("vide"));
        m_sound = media_of_type(m_movie.get(), qt_fourcc("soun"));
        ASSERT_NE(m_video, nullptr);
        ASSERT_NE(m_sound, nullptr);
        m_handle = qtrt::NewHandle(0);
    }
    void TearDown() override { qtrt::DisposeHandle(m_handle); }

    ImageDescription* image() { return reinterpret_cast<ImageDescription*>(*m_handle); }

    movie_ptr m_movie;
    Media m_video = nullptr;
    Media m_sound = nullptr;
    Handle m_handle = nullptr;
};

TEST_F(Descriptions, ImageDescriptionFixedFieldsAreInNativeOrder) {
    qtrt::GetMediaSampleDescription(m_video, 1, reinterpret_cast<SampleDescriptionHandle>(m_handle));
    ASSERT_EQ(qtrt::GetMoviesError(), noErr);
    const bytes stored = two_descriptions().tracks[0].descriptions[0];
    ASSERT_EQ(qtrt::GetHandleSize(m_handle), Size(stored.size()));
    const ImageDescription* d = image();
    EXPECT_EQ(d->idSize, int32_t(stored.size()));
    EXPECT_EQ(d->cType, test_movie::kAvc1);
    EXPECT_EQ(d->dataRefIndex, 1);
    EXPECT_EQ(d->vendor, int32_t(fourcc("appl")));
    EXPECT_EQ(d->temporalQuality, 0x200u);
    EXPECT_EQ(d->width, 720);
    EXPECT_EQ(d->height, 480);
    EXPECT_EQ(d->hRes, 72 << 16);
    EXPECT_EQ(d->frameCount, 1);
    EXPECT_EQ(d->name[0], 4);
    EXPECT_EQ(d->depth, 24);
    EXPECT_EQ(d->clutID, -1);
    // Extensions after the 86 bytes stay exactly as stored.
    EXPECT_EQ(std::memcmp(*m_handle + 86, stored.data() + 86, stored.size() - 86), 0);
}

TEST_F(Descriptions, EachSampleNamesItsDescription) {
    qtrt::GetMediaSampleDescription(m_video, 2, reinterpret_cast<SampleDescriptionHandle>(m_handle));
    EXPECT_EQ(image()->cType, fourcc("apcn"));
    EXPECT_EQ(image()->width, 640);
    EXPECT_EQ(image()->depth, 32);
    EXPECT_EQ(qtrt::GetMediaSampleDescriptionCount(m_video), 2);
    for (int i = 0; i < 5; ++i) {
        ItemCount index = 0;
        ASSERT_EQ(qtrt::GetMediaSample2(m_video, nullptr, 0, nullptr, i * 100, nullptr, nullptr, nullptr,
                                        reinterpret_cast<SampleDescriptionHandle>(m_handle), &index,
                                        1, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(index, i < 3 ? 1u : 2u);
        EXPECT_EQ(image()->cType, i < 3 ? test_movie::kAvc1 : fourcc("apcn"));
    }
}

TEST_F(Descriptions, IndexOutsideTheDescriptionsIsAnError) {
    for (int32_t index : {0, 3, -1}) {
        qtrt::GetMediaSampleDescription(m_video, index,
                                        reinterpret_cast<SampleDescriptionHandle>(m_handle));
        EXPECT_NE(qtrt::GetMoviesError(), noErr) << index;
    }
}

TEST_F(Descriptions, SoundDescriptionFixedFieldsAreInNativeOrder) {
    qtrt::GetMediaSampleDescription(m_sound, 1, reinterpret_cast<SampleDescriptionHandle>(m_handle));
    ASSERT_EQ(qtrt::GetMoviesError(), noErr);
    const SoundDescription* d = reinterpret_cast<SoundDescription*>(*m_handle);
    EXPECT_EQ(d->descSize, 36);
    EXPECT_EQ(d->dataFormat, test_movie::kTwos);
    EXPECT_EQ(d->numChannels, 2);
    EXPECT_EQ(d->sampleSize, 16);
    EXPECT_EQ(d->sampleRate, 48000u << 16);
}

struct extension_case {
    const char* name;
    OSType type;
    int32_t index;
    bytes expected;  // empty: no such extension
};

class ImageDescriptionExtension : public Descriptions,
                                  public ::testing::WithParamInterface<extension_case> {};

TEST_P(ImageDescriptionExtension, AnswersTheContentsOfTheIndexthAtomOfAType) {
    qtrt::GetMediaSampleDescription(m_video, 1, reinterpret_cast<SampleDescriptionHandle>(m_handle));
    const extension_case& c = GetParam();
    Handle extension = reinterpret_cast<Handle>(1);
    OSErr err = qtrt::GetImageDescriptionExtension(reinterpret_cast<ImageDescriptionHandle>(m_handle),
                                                   &extension, int32_t(c.type), c.index);
    if (c.expected.empty()) {
        EXPECT_NE(err, noErr);
        EXPECT_EQ(extension, nullptr);
        return;
    }
    ASSERT_EQ(err, noErr);
    ASSERT_NE(extension, nullptr);
    bytes got(reinterpret_cast<uint8_t*>(*extension),
              reinterpret_cast<uint8_t*>(*extension) + qtrt::GetHandleSize(extension));
    EXPECT_EQ(got, c.expected);
    qtrt::DisposeHandle(extension);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageDescriptionExtension,
    ::testing::Values(extension_case{"Pasp", fourcc("pasp"), 1, test_movie::pasp(4, 3)},
                      extension_case{"FirstAres", fourcc("ARES"), 1, kAres},
                      extension_case{"SecondAres", fourcc("ARES"), 2, bytes(20, 7)},
                      extension_case{"Fiel", fourcc("fiel"), 1, test_movie::fiel(2, 9)},
                      extension_case{"NoThirdAres", fourcc("ARES"), 3, {}},
                      extension_case{"NoAvcC", fourcc("avcC"), 1, {}},
                      extension_case{"IndexZero", fourcc("pasp"), 0, {}}),
    [](const ::testing::TestParamInfo<extension_case>& info) { return std::string(info.param.name); });

TEST(ImageDescriptionExtensionFixtures, EsdsAndAresOfRealMoviesAreFound) {
    const struct {
        const char* movie;
        OSType type;
        size_t min_size;
    } cases[] = {{"mpeg4_esds", fourcc("esds"), 20},
                 {"dnxhd36", fourcc("ARES"), 12},
                 {"h264_bframes_tc", fourcc("avcC"), 7},
                 {"h264_bframes_tc", fourcc("pasp"), 8},
                 {"prores_in24", fourcc("fiel"), 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.movie);
        Movie movie = nullptr;
        ASSERT_EQ(open_movie(std::string(RUV_TEST_DATA_DIR) + "/" + c.movie + ".mov", movie), noErr);
        movie_ptr owner(movie);
        Handle description = qtrt::NewHandle(0);
        qtrt::GetMediaSampleDescription(media_of_type(movie, qt_fourcc("vide")), 1,
                                        reinterpret_cast<SampleDescriptionHandle>(description));
        Handle extension = nullptr;
        EXPECT_EQ(qtrt::GetImageDescriptionExtension(
                      reinterpret_cast<ImageDescriptionHandle>(description), &extension,
                      int32_t(c.type), 1),
                  noErr);
        ASSERT_NE(extension, nullptr);
        EXPECT_GE(size_t(qtrt::GetHandleSize(extension)), c.min_size);
        qtrt::DisposeHandle(extension);
        qtrt::DisposeHandle(description);
    }
}

}  // namespace
