// Movies read through the plug-in's data handler (a mounted URL in "auto"
// mode, or a plain path with the data handler forced on) import exactly as
// the same files opened by path: the same movie, streams, frames, times,
// audio and video bytes. (A movie in fragments against the same movie whole:
// the runtime's fragment test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "datahandler_import/import_run.h"
#include "support/fixture_files.h"

namespace {

using datahandler_import::import_run;
using datahandler_import::run_import;

using test_fixtures::data_path;


// How the data-handler import names the fixture, and the settings it adds.
struct route {
    const char* name;
    const char* prefix;  // null: the plain path
    const char* mode;    // null: the default ("auto")
};

const route kRoutes[] = {
    {"KolmfsAuto", datahandler_import::kKolmfsPrefix, nullptr},
    {"PathForceEnable", nullptr, "force-enable"},
};

struct import_case {
    std::string fixture;
    route how;
};

std::vector<import_case> import_cases() {
    std::vector<import_case> cases;
    std::vector<std::string> fixtures = test_fixtures::movie_names();
    // Movies in fragments: the runtime reads the fragments through the
    // handler as well.
    fixtures.push_back("fragmented/h264_bframes_tc");
    fixtures.push_back("fragmented/aac_stereo_h264");
    for (const std::string& fixture : fixtures)
        for (const route& r : kRoutes) cases.push_back(import_case{fixture, r});
    return cases;
}

class DataHandlerImport : public ::testing::TestWithParam<import_case> {
protected:
    void SetUp() override { datahandler_import::mount_folder(RUV_TEST_DATA_DIR); }
};

TEST_P(DataHandlerImport, DeliversWhatThePathImportDelivers) {
    const import_case& c = GetParam();
    const std::string file = c.fixture + ".mov";
    import_run by_path = run_import(data_path(file));
    ASSERT_EQ(by_path.result.status, 0) << by_path.result.err;
    // By path QuickTime reads the file itself, not the host stream.
    EXPECT_EQ(by_path.bytes_read, 0);
    // The end event counts every frame delivered and their bytes (in 32 bits).
    double frames = 0, bytes = 0;
    for (const nlohmann::ordered_json& e : by_path.result.events) {
        if (e["event"] != "frame") continue;
        frames += 1;
        bytes += e["size"].get<double>();
    }
    EXPECT_EQ(by_path.status_json, std::to_string(5.0) + "/" + std::to_string(frames) + "/" +
                                       std::to_string(std::fmod(bytes, 4294967296.0)));

    std::vector<std::string> extra;
    if (c.how.mode) extra = {"--set", std::string("data-handler-mode=") + c.how.mode};
    const std::string input = c.how.prefix ? std::string(c.how.prefix) + "/" + file : data_path(file);
    import_run through_handler = run_import(input, extra);
    ASSERT_EQ(through_handler.result.status, 0) << through_handler.result.err;
    ASSERT_TRUE(through_handler.result.events_parsed);

    EXPECT_EQ(through_handler.movie_line, by_path.movie_line);
    EXPECT_EQ(through_handler.stream_lines, by_path.stream_lines);
    ASSERT_FALSE(by_path.frame_lines.empty());
    EXPECT_EQ(through_handler.frame_lines.size(), by_path.frame_lines.size());
    for (const auto& queue : by_path.frame_lines) {
        SCOPED_TRACE("queue " + std::to_string(queue.first));
        EXPECT_EQ(through_handler.frame_lines[queue.first], queue.second);
    }
    EXPECT_EQ(through_handler.status_json, by_path.status_json);
    EXPECT_TRUE(through_handler.wav == by_path.wav) << "the audio differs";
    EXPECT_TRUE(through_handler.video == by_path.video) << "the video samples differ";
    // The data handler read the movie through the host stream.
    EXPECT_GT(through_handler.bytes_read, 0);
}

INSTANTIATE_TEST_SUITE_P(TestData, DataHandlerImport, ::testing::ValuesIn(import_cases()),
                         [](const ::testing::TestParamInfo<import_case>& info) {
                             std::string name = info.param.fixture + "_" + info.param.how.name;
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

// The listing the suite above runs over: one that comes back short (a 32-bit
// readdir without large-file support fails with EOVERFLOW on some file
// systems) would silently test fewer movies.
TEST(FixtureList, FindsEveryMovieInTestData) {
    EXPECT_EQ(test_fixtures::movie_names().size(), size_t(RUV_TEST_DATA_MOVIES))
        << "listing " RUV_TEST_DATA_DIR " came back short: " << test_fixtures::listing_error();
}

// Inputs the data handler is not used for, or cannot be: each fails with one
// line on standard error and status 1.
struct refusal_case {
    const char* name;
    std::string input;
    std::vector<std::string> extra;
};

class DataHandlerRefusal : public ::testing::TestWithParam<refusal_case> {
protected:
    void SetUp() override { datahandler_import::mount_folder(RUV_TEST_DATA_DIR); }
};

TEST_P(DataHandlerRefusal, FailsWithOneLine) {
    const refusal_case& c = GetParam();
    import_run run = run_import(c.input, c.extra);
    EXPECT_EQ(run.result.status, 1);
    std::vector<std::string> err = ruv_import_test::lines_of(run.result.err);
    ASSERT_EQ(err.size(), 1u) << run.result.err;
    EXPECT_NE(err[0].find(c.input), std::string::npos) << err[0];
    ASSERT_FALSE(run.result.events.empty());
    EXPECT_EQ(run.result.events.back()["event"], "error");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DataHandlerRefusal,
    ::testing::Values(
        // Forced off, a mounted URL goes to QuickTime as a file URL, which
        // names no file.
        refusal_case{"ForceDisableOnMountedUrl",
                     std::string(datahandler_import::kKolmfsPrefix) + "/h264_bframes_tc.mov",
                     {"--set", "data-handler-mode=force-disable"}},
        // A file that is no movie, read through the data handler.
        refusal_case{"TextFileThroughTheHandler",
                     std::string(datahandler_import::kKolmfsPrefix) + "/dnxhd36.video_packets.txt",
                     {}},
        refusal_case{"MountedFileMissing",
                     std::string(datahandler_import::kKolmfsPrefix) + "/missing.mov", {}}),
    [](const ::testing::TestParamInfo<refusal_case>& info) { return std::string(info.param.name); });

}  // namespace
