// A movie over 4 GiB (a sparse file): 'co64' chunk offsets and a 64-bit
// 'mdat' size, samples read at the right places; the table column that holds
// such offsets.
#include <gtest/gtest.h>

#include <cstdio>

#include "movie/offset_column.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

TEST(LargeMovie, SamplesPastFourGibibytesAreReadAtTheirOffsets) {
    test_movie::movie_plan plan;
    plan.large_mdat = true;
    plan.media_gap = (uint64_t(1) << 32) + 4096;  // every sample lies past 4 GiB
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(5, 300, 100);
    const std::string path = output_path("large.mov");
    if (!test_movie::write_movie(plan, path)) {
        std::remove(path.c_str());
        GTEST_SKIP() << "the file system cannot hold a sparse file over 4 GiB";
    }
    movie_ptr movie = open_path(path);
    Media media = media_of_type(movie.get(), qt_fourcc("vide"));
    ASSERT_NE(media, nullptr);
    for (uint32_t i = 0; i < 5; ++i) {
        std::vector<uint8_t> data(300);
        ASSERT_EQ(read_sample(media, i * 100, data.data(), 300), noErr);
        for (uint32_t k = 0; k < 300; ++k)
            ASSERT_EQ(data[k], test_movie::sample_pattern_byte(1, i, k)) << "sample " << i;
    }
    movie.reset();
    std::remove(path.c_str());
}

// Offsets are kept in 32 bits until one needs more; the values before it
// keep what they were.
TEST(LargeMovie, OffsetColumnWidensWithoutChangingItsValues) {
    qtrt::offset_column c;
    c.resize(2);
    c.set(1, UINT32_MAX);
    c.push_back((uint64_t(1) << 32) + 5);
    c.set(0, uint64_t(3) << 40);
    EXPECT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0], uint64_t(3) << 40);
    EXPECT_EQ(c[1], UINT32_MAX);
    EXPECT_EQ(c.back(), (uint64_t(1) << 32) + 5);
}

}  // namespace
