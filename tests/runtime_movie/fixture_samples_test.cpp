// The runtime's view of the fixtures' video samples agrees with another
// tool's packet list (tests/data/NAME.video_packets.txt, made from its
// ffprobe output by extract_packets.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "memory/memory_manager.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

struct packet {
    uint32_t size;
    bool key;
    int64_t decode_time;
    int64_t display_offset;
    int64_t duration;
    uint64_t position;
};

std::vector<packet> read_packets(const std::string& path) {
    std::vector<packet> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        packet p{};
        int key = 0;
        fields >> p.size >> key >> p.decode_time >> p.display_offset >> p.duration >> p.position;
        p.key = key != 0;
        out.push_back(p);
    }
    return out;
}

std::vector<uint8_t> file_bytes(const std::string& path, uint64_t offset, size_t size) {
    std::vector<uint8_t> out(size);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    std::fseek(f, long(offset), SEEK_SET);
    size_t got = std::fread(out.data(), 1, size, f);
    std::fclose(f);
    out.resize(got);
    return out;
}

class FixtureVideoSamples : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureVideoSamples, AgreeWithOtherToolsPacketList) {
    const std::string base = std::string(RUV_TEST_DATA_DIR) + "/" + GetParam();
    const std::vector<packet> expected = read_packets(base + ".video_packets.txt");
    ASSERT_FALSE(expected.empty());
    Movie movie = nullptr;
    ASSERT_EQ(open_movie(base + ".mov", movie), noErr);
    movie_ptr owner(movie);
    Media media = media_of_type(movie, qt_fourcc("vide"));
    ASSERT_NE(media, nullptr);
    ASSERT_EQ(qtrt::GetMediaSampleCount(media), int32_t(expected.size()));

    Handle description = qtrt::NewHandle(0);
    TimeValue64 t = next_time(media, 0x4001, 0, kForward);
    int64_t first_decode = t;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("sample " + std::to_string(i));
        ASSERT_GE(t, 0);
        ByteCount size = 0;
        TimeValue64 decode = 0, duration = 0, offset = 0;
        ItemCount index = 0, count = 0;
        MediaSampleFlags flags = 0;
        ASSERT_EQ(qtrt::GetMediaSample2(media, nullptr, 0, &size, t, &decode, &duration, &offset,
                                        reinterpret_cast<SampleDescriptionHandle>(description),
                                        &index, 1, &count, &flags),
                  noErr);
        const packet& p = expected[i];
        EXPECT_EQ(size, p.size);
        EXPECT_EQ((flags & 1) == 0, p.key);
        EXPECT_EQ(decode - first_decode, p.decode_time);
        EXPECT_EQ(offset, p.display_offset);
        EXPECT_EQ(duration, p.duration);
        EXPECT_EQ(index, 1u);
        EXPECT_EQ(count, 1u);

        std::vector<uint8_t> data(size);
        ASSERT_EQ(qtrt::GetMediaSample2(media, data.data(), ByteCount(data.size()), nullptr, t,
                                        nullptr, nullptr, nullptr, nullptr, nullptr, 1, nullptr,
                                        nullptr),
                  noErr);
        EXPECT_EQ(data, file_bytes(base + ".mov", p.position, p.size));
        t = next_time(media, 0x0001, t, kForward);
    }
    EXPECT_EQ(t, -1);
    qtrt::DisposeHandle(description);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureVideoSamples,
                         ::testing::Values("h264_bframes_tc", "h264_2997_dropframe", "prores_in24",
                                           "dnxhd36", "dv_pal_sowt", "mpeg4_esds", "raw_rgb24"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
