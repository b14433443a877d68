// ruv-import as a user meets it: exit status, one-line errors for inputs
// that are no movie, and the options that change what it delivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "ruv_import/cut_movie.h"
#include "ruv_import/tool_run.h"
#include "support/movie_builder.h"

namespace {

using value = nlohmann::ordered_json;
using ruv_import_test::lines_of;
using ruv_import_test::output_path;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;

const std::string kMovie = std::string(RUV_TEST_DATA_DIR) + "/h264_bframes_tc.mov";

struct bad_input {
    const char* name;
    // Makes the input and answers its path.
    std::string (*make)();
    const char* says;
    bool pull = false;  // delivered with --pull
};

class UnusableInput : public ::testing::TestWithParam<bad_input> {};

TEST_P(UnusableInput, GivesOneLineErrorAndStatusOne) {
    std::string input = GetParam().make();
    tool_result run = GetParam().pull ? run_tool({"--pull", input}) : run_tool({input});
    if (input.find("ruv_import_test_") != std::string::npos) std::remove(input.c_str());
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = lines_of(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_EQ(lines[0].rfind("ruv-import: cannot import '", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(GetParam().says), std::string::npos) << lines[0];
}

std::string missing_movie() { return output_path("missing.mov"); }

std::string written(const test_movie::bytes& bytes, const std::string& name) {
    const std::string path = output_path(name);
    EXPECT_TRUE(test_movie::write_bytes(bytes, path));
    return path;
}

std::string text_movie() { return written(test_movie::bytes(200, 'a'), "text.mov"); }

// Every sample past the end of the file: pulled frame by frame, the importer
// itself does not fail, the stream without frames does, with its reason.
std::string without_media() {
    test_movie::movie_plan movie;
    movie.movie_first = true;
    movie.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 1000, 12);
    test_movie::bytes bytes = test_movie::build_movie(movie).contiguous();
    bytes.resize(bytes.size() - 5000);
    return written(bytes, "no_media.mov");
}
std::string cut_inside_the_media() {
    return written(ruv_import_test::cut_inside_media(false), "cut_media.mov");
}
std::string cut_inside_edited_media() {
    return written(ruv_import_test::cut_inside_media(true), "cut_edited.mov");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, UnusableInput,
    ::testing::Values(bad_input{"missing", missing_movie, "no such file"},
                      bad_input{"text", text_movie, "text.mov': not a QuickTime movie"},
                      bad_input{"cut_inside_the_media", cut_inside_the_media,
                                "cut short or damaged (video ends at"},
                      bad_input{"cut_inside_edited_media", cut_inside_edited_media,
                                "cut short or damaged (video ends at"},
                      bad_input{"pulled_without_media", without_media,
                                "its video stream (queue 0) delivered no frame: the video "
                                "sample at 0.000 s of 'ruv_import_test_",
                                true}),
    [](const ::testing::TestParamInfo<bad_input>& info) { return std::string(info.param.name); });

// With --json a failure ends with an error event that holds only its
// message: for the importer's exception, the exception's text.
TEST(CommandLine, JsonFailureEndsWithTheErrorEventOfTheImportersText) {
    tool_result run = run_tool({"--json", "--set", "start-time=1000", kMovie});
    EXPECT_EQ(run.status, 1);
    ASSERT_TRUE(run.events_parsed);
    ASSERT_FALSE(run.events.empty());
    const value& last = run.events.back();
    std::vector<std::string> keys;
    for (const auto& member : last.items()) keys.push_back(member.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"event", "message"}));
    EXPECT_EQ(last["event"], "error");
    EXPECT_NE(last["message"].get<std::string>().find("*** ERROR ***: Start time exceeds duration"),
              std::string::npos);
}

// A broken second track is left out with a warning, one line that names it
// by its place in the movie whatever the tracks' IDs; the import goes on.
class LeftOutTrack : public ::testing::TestWithParam<std::pair<uint32_t, uint32_t>> {};

TEST_P(LeftOutTrack, IsAWarningEventAndALineOnStandardError) {
    test_movie::movie_plan movie;
    movie.movie_first = true;
    movie.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 1000, 12).id = GetParam().first;
    movie.add_video(test_movie::kAvc1, 320, 240).add_samples(5, 1000, 12).id = GetParam().second;
    test_movie::bytes bytes = test_movie::build_movie(movie).contiguous();
    // The second track's chunk offsets: the second 'stco' of the movie atom,
    // which comes first; its entry count follows the type, version and flags.
    const uint8_t type[4] = {'s', 't', 'c', 'o'};
    auto first = std::search(bytes.begin(), bytes.end(), type, type + 4);
    ASSERT_NE(first, bytes.end());
    auto stco = std::search(first + 4, bytes.end(), type, type + 4);
    ASSERT_NE(stco, bytes.end());
    test_movie::patch_u32(bytes, uint64_t(stco - bytes.begin()) + 8, 0);
    const std::string path = output_path("broken_track.mov");
    ASSERT_TRUE(test_movie::write_bytes(bytes, path));
    tool_result run = run_tool({"--json", "--quiet", path});
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string says = "track 2 ('vide') of 'ruv_import_test_";
    EXPECT_NE(run.err.find("ruv-import: warning: " + says), std::string::npos) << run.err;
    size_t warnings = 0;
    for (const value& e : run.events) {
        if (e["event"] != "warning") continue;
        ++warnings;
        EXPECT_EQ(e["message"].get<std::string>().find(says), 0u) << e["message"];
    }
    EXPECT_EQ(warnings, 1u);
}

INSTANTIATE_TEST_SUITE_P(TrackIds, LeftOutTrack,
                         ::testing::Values(std::make_pair(0u, 0u), std::make_pair(2u, 5u)));

struct usage_case {
    std::vector<std::string> arguments;
    const char* says = "usage: ruv-import";
};

class UsageError : public ::testing::TestWithParam<usage_case> {};

TEST_P(UsageError, GivesStatusTwo) {
    tool_result run = run_tool(GetParam().arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
}

const std::string kOtherMovie = std::string(RUV_TEST_DATA_DIR) + "/compressed/aac_stereo_h264.mov";
// Its name is the other one's.
const std::string kSameName = std::string(RUV_TEST_DATA_DIR) + "/fragmented/aac_stereo_h264.mov";

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageError,
    ::testing::Values(
        usage_case{{"--unknown"}}, usage_case{{"--video-queue", "x", "a.mov"}},
        usage_case{{"--pull-queue", "5", kMovie}, "--pull-queue 5 names a queue no stream"},
        usage_case{{"--jobs", "0", kMovie, kOtherMovie}, "--jobs needs a number"},
        usage_case{{"--timeout", "-1", kMovie}, "--timeout needs a number"},
        usage_case{{"--audio-out", "x.wav", kMovie, kOtherMovie},
                   "with several movies it needs {name}"},
        usage_case{{"--video-out", "{name}.video", kOtherMovie, kSameName},
                   "the movies have the same name"}));

// The frame lines of standard output for one queue.
std::vector<std::string> frame_lines(const tool_result& run, unsigned queue) {
    std::vector<std::string> out;
    const std::vector<std::string> lines = lines_of(run.out);
    for (size_t i = 0; i < run.events.size() && i < lines.size(); ++i)
        if (run.events[i]["event"] == "frame" && run.events[i]["queue"].get<double>() == queue)
            out.push_back(lines[i]);
    return out;
}

struct pull_case {
    const char* name;
    std::vector<std::string> arguments;
    unsigned queue;            // the pulled one
    const char* left_out;      // the warning's end, or "" when nothing is left out
};

class Pull : public ::testing::TestWithParam<pull_case> {};

// processNextFrame drops what other queues' readers had ready: --pull takes
// one queue, all of whose frames it delivers as the run loop does, and says
// which stream it leaves out.
TEST_P(Pull, DeliversEveryFrameOfOneQueueAsTheRunLoopDoes) {
    const pull_case& c = GetParam();
    tool_result loop = run_tool({"--json", kMovie});
    std::vector<std::string> arguments = {"--json"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    arguments.push_back(kMovie);
    tool_result pull = run_tool(arguments);
    ASSERT_EQ(loop.status, 0);
    ASSERT_EQ(pull.status, 0) << pull.err;
    ASSERT_TRUE(loop.events_parsed && pull.events_parsed);
    EXPECT_FALSE(frame_lines(loop, c.queue).empty());
    EXPECT_EQ(frame_lines(pull, c.queue), frame_lines(loop, c.queue));
    EXPECT_TRUE(frame_lines(pull, 1 - c.queue).empty());
    const std::string warning = "--pull delivers queue " + std::to_string(c.queue) + " only";
    if (*c.left_out == 0) {
        EXPECT_EQ(pull.err.find(warning), std::string::npos) << pull.err;
    } else {
        EXPECT_NE(pull.err.find(warning), std::string::npos) << pull.err;
        EXPECT_NE(pull.err.find(c.left_out), std::string::npos) << pull.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Queues, Pull,
    ::testing::Values(pull_case{"VideoAlone", {"--no-audio", "--pull"}, 0, ""},
                      pull_case{"FirstOfTwo", {"--pull"}, 0, "the sound stream (queue 1) is left out"},
                      pull_case{"Named", {"--pull-queue", "1"}, 1, "the video stream (queue 0) is left out"}),
    [](const ::testing::TestParamInfo<pull_case>& info) { return std::string(info.param.name); });

}  // namespace
