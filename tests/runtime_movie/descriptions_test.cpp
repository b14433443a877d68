// Sample descriptions as the runtime hands them out: fixed fields in the
// machine's byte order, extensions unchanged; several descriptions per track.
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
// second).
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
    return plan;
}

// The first description comes with its fixed fields in the machine's order
// and its extensions as stored; an index outside the two is an error. (Every
// fixed field of the descriptions of real movies: the conformance test, which
// compares the published description's bytes.)
TEST(Descriptions, ComeInNativeOrderWithTheirExtensionsUnchanged) {
    movie_ptr movie = open_built(two_descriptions(), "descriptions.mov");
    ASSERT_NE(movie, nullptr);
    Media video = media_of_type(movie.get(), qt_fourcc("vide"));
    ASSERT_NE(video, nullptr);
    Handle handle = qtrt::NewHandle(0);
    const auto description = reinterpret_cast<SampleDescriptionHandle>(handle);
    for (int32_t index : {0, 3, -1}) {
        qtrt::GetMediaSampleDescription(video, index, description);
        EXPECT_NE(qtrt::GetMoviesError(), noErr) << index;
    }
    qtrt::GetMediaSampleDescription(video, 1, description);
    ASSERT_EQ(qtrt::GetMoviesError(), noErr);
    const bytes stored = two_descriptions().tracks[0].descriptions[0];
    ASSERT_EQ(qtrt::GetHandleSize(handle), Size(stored.size()));
    const ImageDescription* d = reinterpret_cast<ImageDescription*>(*handle);
    EXPECT_EQ(d->idSize, int32_t(stored.size()));
    EXPECT_EQ(d->cType, test_movie::kAvc1);
    EXPECT_EQ(d->dataRefIndex, 1);
    EXPECT_EQ(d->width, 720);
    EXPECT_EQ(d->height, 480);
    EXPECT_EQ(d->depth, 24);
    EXPECT_EQ(d->clutID, -1);
    // Extensions after the 86 bytes stay exactly as stored.
    EXPECT_EQ(std::memcmp(*handle + 86, stored.data() + 86, stored.size() - 86), 0);
    qtrt::DisposeHandle(handle);
}

}  // namespace
