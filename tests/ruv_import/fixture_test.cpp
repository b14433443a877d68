// ruv-import --json on every fixture in tests/data: every event in order,
// every frame counted, and the time code tracks' facts. (The frames and sound
// against other views of the same movies: the conformance test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>

#include "support/fixture_files.h"
#include "ruv_import/tool_run.h"

namespace {

using json_test::value;
using ruv_import_test::read_file;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;

using test_fixtures::data_path;

std::vector<const value*> events_of(const tool_result& run, const char* name, int queue = -1) {
    std::vector<const value*> out;
    for (const value& e : run.events)
        if (e["event"].text == name && (queue < 0 || e["queue"].num == queue)) out.push_back(&e);
    return out;
}

std::vector<uint8_t> from_hex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The stream parameter of that name as bytes; empty when absent.
std::vector<uint8_t> parameter(const value& stream, const std::string& name) {
    for (const value& pair : stream["parameters"].items)
        if (pair.items.size() == 2 && pair.items[0].text == name) return from_hex(pair.items[1].text);
    return {};
}

class Fixture : public ::testing::TestWithParam<std::string> {
protected:
    std::string movie() const { return data_path(GetParam() + ".mov"); }
};

TEST_P(Fixture, ImportsWithEveryEventInOrderAndCountsEveryFrame) {
    tool_result run = run_tool({"--json", movie()});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(run.events_parsed) << run.out;
    ASSERT_GE(run.events.size(), 3u);
    EXPECT_EQ(run.events.front()["event"].text, "movie");
    EXPECT_EQ(run.events.back()["event"].text, "end");
    const value& status = run.events.back()["status"];
    EXPECT_EQ(status["code"].num, 5);

    double frames = 0, bytes = 0;
    for (const value* f : events_of(run, "frame")) {
        frames += 1;
        bytes += (*f)["size"].num;
    }
    EXPECT_GT(frames, 0);
    EXPECT_EQ(status["frames"].num, frames);
    EXPECT_EQ(status["bytes"].num, std::fmod(bytes, 4294967296.0));
    for (const value* s : events_of(run, "stream")) EXPECT_EQ((*s)["parameters"].kind, value::array);
}

// The movie remuxed into fragments (tests/data/fragmented) imports with the
// frames, times and sound of the movie written whole.
TEST(FragmentedFixture, ImportsTheFramesAndSoundOfTheWholeMovie) {
    std::string frames[2], sound[2];
    const std::string movies[2] = {data_path("h264_bframes_tc.mov"),
                                   data_path("fragmented/h264_bframes_tc.mov")};
    for (int i = 0; i < 2; ++i) {
        const std::string wav_path = ruv_import_test::output_path("fragments" + std::to_string(i) + ".wav");
        tool_result run = run_tool({"--json", "--audio-out", wav_path, movies[i]});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const value* f : events_of(run, "frame", 0))
            frames[i] += std::to_string((*f)["size"].num) + (*f)["type"].text +
                         std::to_string((*f)["time"].num) + std::to_string((*f)["decode_time"].num) +
                         std::to_string((*f)["duration"].num) +
                         (*f)["timecode"].text + "\n";
        sound[i] = read_file(wav_path);
        std::remove(wav_path.c_str());
    }
    EXPECT_FALSE(frames[0].empty());
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_GT(sound[0].size(), 44u);
    EXPECT_TRUE(sound[0] == sound[1]) << "the sound differs";
}

// The suite above runs over what the folder listing finds; a listing that comes
// back short (a 32-bit readdir without large-file support fails with EOVERFLOW
// on some file systems) would silently test fewer movies.
TEST(FixtureList, FindsEveryMovieInTestData) {
    EXPECT_EQ(test_fixtures::movie_names().size(), size_t(RUV_TEST_DATA_MOVIES))
        << "listing " RUV_TEST_DATA_DIR " came back short: " << test_fixtures::listing_error();
}

INSTANTIATE_TEST_SUITE_P(TestData, Fixture, ::testing::ValuesIn(test_fixtures::movie_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// What the fixtures' time code tracks hold: the reel name of the source and
// the time code of the first frame.
struct time_code_case {
    const char* movie;
    const char* first;
    const char* reel;
};

class FixtureTimeCode : public ::testing::TestWithParam<time_code_case> {};

TEST_P(FixtureTimeCode, ReelNameAndFirstTimeCodeAgreeWithTheTimeCodeTrack) {
    const time_code_case& c = GetParam();
    tool_result run = run_tool({"--json", "--no-audio", data_path(std::string(c.movie) + ".mov")});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<const value*> movies = events_of(run, "movie");
    ASSERT_EQ(movies.size(), 1u);
    EXPECT_EQ((*movies[0])["tracks"].items.at(0)["timecode"].text, c.first);
    std::vector<const value*> frames = events_of(run, "frame", 0);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ((*frames[0])["timecode"].text, c.first);
    std::vector<const value*> streams = events_of(run, "stream", 0);
    ASSERT_EQ(streams.size(), 1u);
    std::vector<uint8_t> reel = parameter(*streams[0], "reel_name");
    EXPECT_EQ(std::string(reel.begin(), reel.end()), c.reel);
}

INSTANTIATE_TEST_SUITE_P(
    TestData, FixtureTimeCode,
    ::testing::Values(time_code_case{"h264_bframes_tc", "01:00:00:00", "A001"},
                      time_code_case{"h264_2997_dropframe", "00:59:59;28", ""}),
    [](const ::testing::TestParamInfo<time_code_case>& info) { return std::string(info.param.movie); });

}  // namespace
