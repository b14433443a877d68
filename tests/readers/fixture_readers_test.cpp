// The readers on real movies made by another tool: the video reader's frames
// against that tool's packet list, the audio reader's chunks against its
// decoding of the sound, and the time code of the movies that carry one.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "importer/track_audio.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

// One line of NAME.video_packets.txt, in the stream's time base.
struct packet {
    uint32_t size;
    bool key;
    int64_t decode_time;  // from the first packet
    int64_t display_offset;
    int64_t duration;
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
        fields >> p.size >> key >> p.decode_time >> p.display_offset >> p.duration;
        p.key = key != 0;
        out.push_back(p);
    }
    return out;
}

struct video_fixture {
    const char* name;
    double time_base;  // units per second of the video stream
};

class FixtureVideoFrames : public testing::TestWithParam<video_fixture> {};

// The reader's frames, shifted as the importer shifts them (by minus the
// first sync sample), against the other tool's packets.
TEST_P(FixtureVideoFrames, MatchOtherToolsPacketsAfterTheTimeShift) {
    const video_fixture& c = GetParam();
    const std::string movie_path = data_path(std::string(c.name) + ".mov");
    const std::vector<packet> packets = read_packets(data_path(std::string(c.name) + ".video_packets.txt"));
    if (packets.empty() || !file_exists(movie_path)) GTEST_SKIP() << "fixture not in tests/data";
    movie_ptr movie = open_movie_file(movie_path);
    ASSERT_NE(movie, nullptr);
    video_track video;
    ASSERT_EQ(video.open(movie.get()), 0);
    const double shift = -double(video.sync_start());
    video.set_time_shift(float(shift));
    ASSERT_EQ(video.seek(0.0, 1e6), 0);
    frame_list frames;
    EXPECT_EQ(read_all(video, frames), 2);
    ASSERT_EQ(frames.size(), packets.size());
    for (size_t i = 0; i < packets.size(); ++i) {
        const packet& p = packets[i];
        const video_frame* f = static_cast<const video_frame*>(frames[i]);
        EXPECT_EQ(f->size(), p.size) << "frame " << i;
        EXPECT_EQ(f->is_key_frame(), p.key) << "frame " << i;
        EXPECT_NEAR(f->decode_time(), p.decode_time / c.time_base + shift, 1e-6) << "frame " << i;
        EXPECT_NEAR(f->display_time(), (p.decode_time + p.display_offset) / c.time_base + shift, 1e-6)
            << "frame " << i;
        EXPECT_NEAR(f->duration(), p.duration / c.time_base, 1e-6) << "frame " << i;
        EXPECT_EQ(f->number(), i);
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, FixtureVideoFrames,
                         testing::Values(video_fixture{"h264_bframes_tc", 12800},
                                         video_fixture{"h264_2997_dropframe", 30000},
                                         video_fixture{"prores_in24", 12800},
                                         video_fixture{"dnxhd36", 12800},
                                         video_fixture{"dv_pal_sowt", 12800},
                                         video_fixture{"mpeg4_esds", 12800},
                                         video_fixture{"raw_rgb24", 10240}),
                         [](const testing::TestParamInfo<video_fixture>& info) { return info.param.name; });

class FixtureSoundChunks : public testing::TestWithParam<const char*> {};

// Chunks one video frame long (40 ms without video), as the movie reader
// sets them up, put end to end.
TEST_P(FixtureSoundChunks, EndToEndEqualTheOtherToolsDecoding) {
    const std::string base = data_path(GetParam());
    const std::vector<uint8_t> expected = read_file(base + ".audio0.f32be");
    if (expected.empty() || !file_exists(base + ".mov")) GTEST_SKIP() << "fixture not in tests/data";
    movie_ptr movie = open_movie_file(base + ".mov");
    ASSERT_NE(movie, nullptr);
    audio_track audio;
    video_track video;
    if (video.open(movie.get()) == 0 && video.frame_rate() > 0)
        audio.set_chunk_duration(1.0 / video.frame_rate());
    ASSERT_EQ(audio.open(movie.get()), 0);
    ASSERT_EQ(audio.seek(0.0, 1e6), 0);
    frame_list chunks;
    EXPECT_EQ(read_all(audio, chunks), 5);
    std::vector<uint8_t> extracted;
    double next_time = 0.0;
    for (size_t i = 0; i < chunks.size(); ++i) {
        const frame* c = chunks[i];
        EXPECT_NEAR(c->display_time(), next_time, 1e-9) << "chunk " << i;
        next_time += c->duration();
        if (i + 1 < chunks.size()) {
            EXPECT_EQ(c->size(), audio.frames_per_read() * 4 * audio.channel_count()) << "chunk " << i;
        }
        extracted.insert(extracted.end(), c->data(), c->data() + c->size());
    }
    ASSERT_EQ(extracted.size(), expected.size());
    EXPECT_TRUE(extracted == expected);
}

INSTANTIATE_TEST_SUITE_P(Movies, FixtureSoundChunks,
                         testing::Values("h264_bframes_tc", "h264_2997_dropframe", "prores_in24",
                                         "dv_pal_sowt", "audio_only_44k"));

struct time_code_fixture {
    const char* name;
    kolmbase::timecode start;
    const char* reel;
};

class FixtureTimeCode : public testing::TestWithParam<time_code_fixture> {};

TEST_P(FixtureTimeCode, StartAndReelName) {
    const time_code_fixture& c = GetParam();
    const std::string path = data_path(std::string(c.name) + ".mov");
    if (!file_exists(path)) GTEST_SKIP() << "fixture not in tests/data";
    movie_ptr movie = open_movie_file(path);
    ASSERT_NE(movie, nullptr);
    video_track video;
    ASSERT_EQ(video.open(movie.get()), 0);
    EXPECT_EQ(video.timecode(), c.start) << video.timecode().to_string();
    EXPECT_EQ(video.reel_name(), c.reel);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, FixtureTimeCode,
    testing::Values(time_code_fixture{"h264_bframes_tc", kolmbase::timecode(25, 1, 0, 0, 0, 1), "A001"},
                    time_code_fixture{"h264_2997_dropframe",
                                      kolmbase::timecode(0x701E, 0, 59, 59, 28, 1), ""}),
    [](const testing::TestParamInfo<time_code_fixture>& info) { return info.param.name; });

}  // namespace
