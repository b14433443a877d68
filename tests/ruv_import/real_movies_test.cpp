// ruv-import on the movies of ../shared/real beside the repository that
// cannot be imported (there in CI; skipped with a message where it is not):
// each must be refused naming the cause.
#include <gtest/gtest.h>


#include "ruv_import/tool_run.h"
#include "support/fixture_files.h"

namespace {

using value = nlohmann::ordered_json;
using ruv_import_test::lines_of;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;

struct refusal {
    const char* name;
    const char* says;
};

class RealMovieRefusal : public testing::TestWithParam<refusal> {};

TEST_P(RealMovieRefusal, FailsNamingTheCause) {
    const std::string path = test_fixtures::real_movie_path(GetParam().name);
    if (path.empty()) GTEST_SKIP() << "../shared/real is not beside the repository";
    tool_result run = run_tool({"--json", "--quiet", "--no-audio", path});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = lines_of(run.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("ruv-import: cannot import '", 0), 0u) << lines.back();
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    bool told = false;
    for (const value& e : run.events)
        told |= (e["event"] == "warning" || e["event"] == "error") &&
                e["message"].get<std::string>().find(GetParam().says) != std::string::npos;
    EXPECT_TRUE(told) << "no warning or error event names the cause";
}

INSTANTIATE_TEST_SUITE_P(
    Movies, RealMovieRefusal,
    testing::Values(
        refusal{"truncated_moov_1k_filetype", "movie atom cut short at byte 1024"},
        refusal{"ftyp_only_24bytes_infer", "no movie atom"},
        refusal{"timecode_only_2997df_timecodekit", "has no video or sound track (tracks: 'tmcd')"},
        refusal{"camera_mjpeg_raw8_stripped_exiftool", "its chunk offset table is empty"},
        refusal{"reference_alias_missing_target_psychopy",
                "media is in 'psychopyTmp.mov', which is not there"},
        refusal{"v210_in24_noext_nomedia_mediaarea",
                "media data lies past the end of the file (22682 bytes)"}),
    [](const testing::TestParamInfo<refusal>& info) { return std::string(info.param.name); });

}  // namespace
