// A video sample counts as a frame once it is located, before its buffer is
// made and its bytes read: a first sample that fails there is counted, so
// the run loop ends without "No frames imported" and the queue stays empty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;

constexpr uint32_t fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

// The first sample's size, 3.25 GiB, lies inside a sparse file of 3.5 GiB:
// QuickTime locates it, but no buffer of that size can be had in a 32-bit
// process, in either data-handler mode.
class FrameCount : public testing::TestWithParam<const char*> {};

TEST_P(FrameCount, FirstSampleWithoutABufferCountsAsAFrame) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 3, 60);
    movie.movie_first = true;
    movie.media_gap = 0xE0000000u;
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/frame_count_" +
                             std::to_string(getpid()) + "_" + GetParam() + ".mov";
    ASSERT_TRUE(test_movie::write_movie(movie, path));
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        test_movie::bytes head(65536);
        file.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
        const int64_t stsz =
            test_movie::find_atom(head, test_movie::atom_path("moov trak mdia minf stbl stsz"));
        const int64_t stco =
            test_movie::find_atom(head, test_movie::atom_path("moov trak mdia minf stbl stco"));
        ASSERT_GE(stsz, 0);
        ASSERT_GE(stco, 0);
        // After header, version and flags (and the common size, the count):
        // the first entry.
        test_movie::patch_u32(head, uint64_t(stsz) + 20, 0xD0000000u);
        test_movie::patch_u32(head, uint64_t(stco) + 16, 0);
        file.clear();
        file.seekp(0);
        file.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
    }
    {
        harness h(path);
        h.set("video", "0");
        h.set("data-handler-mode", GetParam());
        ASSERT_TRUE(h.open());
        EXPECT_EQ(h.runloop(), 0);
        EXPECT_TRUE(h.take_frames(0).empty());
        EXPECT_TRUE(h.queue(0).isEnded());
    }
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Modes, FrameCount,
                         testing::Values("force-disable", "force-enable"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "force-enable" ? "DataHandler"
                                                                              : "Path";
                         });

}  // namespace
