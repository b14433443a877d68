// ruv-import on public test movies in ../shared/real beside the repository
// (there in CI; skipped with a message where it is not): video frames
// compared with the other tool's packets (NAME.ffprobe.json) where the
// conformance test does not judge them, and the movies that cannot be
// imported, which must be refused naming the cause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ruv_import/tool_run.h"
#include "support/fixture_files.h"

namespace {

using json_test::value;
using ruv_import_test::lines_of;
using ruv_import_test::read_file;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;

struct packet {
    double size = 0;
    double decode_time = 0;  // seconds
};

// The first video stream's packets in decode order, up to the last one shown
// inside the edits (the other tool marks the ones after it discarded).
std::vector<packet> peer_packets(const std::string& name) {
    std::vector<packet> out;
    const std::string path = std::string(RUV_REAL_MOVIES_DIR) + "/" + name + ".ffprobe.json";
    value probe;
    if (!json_test::parse(read_file(path), probe)) return out;
    const value* video = nullptr;
    for (const value& s : probe["streams"].items)
        if (s["codec_type"].text == "video" && !video) video = &s;
    if (!video) return out;
    const std::string base = (*video)["time_base"].text;
    const double time_base = std::stod(base.substr(0, base.find('/'))) /
                             std::stod(base.substr(base.find('/') + 1));
    std::vector<std::pair<double, packet>> found;
    size_t last_shown = 0;
    for (const value& p : probe["packets"].items) {
        if (p["stream_index"].num != (*video)["index"].num) continue;
        const double dts = p["dts"].num;
        found.push_back({dts, {std::stod(p["size"].text), dts * time_base}});
        if (p["flags"].text.find('D') == std::string::npos) last_shown = found.size();
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < std::min(last_shown, found.size()); ++i) out.push_back(found[i].second);
    return out;
}

class RealMovieVideo : public testing::TestWithParam<const char*> {};

TEST_P(RealMovieVideo, FramesAreThePacketsTheEditsNeed) {
    const std::string path = test_fixtures::real_movie_path(GetParam());
    if (path.empty()) GTEST_SKIP() << "../shared/real is not beside the repository";
    const std::vector<packet> peer = peer_packets(GetParam());
    ASSERT_FALSE(peer.empty());
    tool_result run = run_tool({"--json", "--quiet", "--no-audio", path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<const value*> frames;
    for (const value& e : run.events)
        if (e["event"].text == "frame") frames.push_back(&e);
    ASSERT_EQ(frames.size(), peer.size());
    const double first = (*frames[0])["decode_time"].num;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ((*frames[i])["size"].num, peer[i].size) << "frame " << i;
        const double step = peer[i].decode_time - peer[0].decode_time;
        EXPECT_NEAR((*frames[i])["decode_time"].num - first, step, 2e-6) << "frame " << i;
    }
}

// The movies whose sound the conformance judge finds wrong
// (tests/conformance/expected_failures.txt), so that it judges no frame of
// theirs: trimmed movies, edits ending inside a group of reordered frames,
// empty edits.
INSTANTIATE_TEST_SUITE_P(
    Edits, RealMovieVideo,
    testing::Values("h264_20x20_trimmed_coremedia_tgio", "xvid_mp3_trimmed_qtplayer_videomonkey",
                    "isom_3video_3aac_empty_edits_losslesscut",
                    "isom_screencast_h264_aac8k_empty_edit_losslesscut"),
    [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

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
        told |= (e["event"].text == "warning" || e["event"].text == "error") &&
                e["message"].text.find(GetParam().says) != std::string::npos;
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
