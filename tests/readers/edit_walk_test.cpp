// What the video reader's one walk over a track's edits decides: tracks it
// must leave out (and why), edits past the ones it walks, and a bound on the
// frames a run of many edits over one long group of pictures delivers.
#include <gtest/gtest.h>

#include <cstdint>

#include "importer/config.h"
#include "importer/shown_media.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

class EditWalk : public testing::Test {
protected:
    void TearDown() override { config::instance().set_end_time(config::default_end_time); }
};

bool has_line(const log_recorder& log, const std::string& text) {
    for (const std::string& line : log.lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// A sync sample every tenth of count samples, one unit each, at time scale
// 1000, shown whole by each of the edits.
test_movie::movie_plan whole_media_edits(uint32_t count, uint32_t edits) {
    test_movie::movie_plan plan = test_movie::long_group(count, 0);
    for (uint32_t i = 0; i < count; i += 10) plan.tracks[0].samples[i].sync = true;
    for (uint32_t e = 0; e < edits; ++e) plan.tracks[0].add_edit(count, 0);
    return plan;
}

struct bound_case {
    const char* name;
    test_movie::movie_plan (*movie)();
};

class SampleBound : public EditWalk, public testing::WithParamInterface<bound_case> {};

// Many edits over one long group start again from its one sync sample each;
// many edits showing the whole media deliver it whole each: finding where
// the runs end, and delivering them, stop at four times the track's samples
// (and 1,024 more), with a line that says so.
TEST_P(SampleBound, ManyEditsStopAtABoundAndSaySo) {
    movie_ptr movie = open_built(GetParam().movie());
    log_recorder log;
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    frame_list frames;
    EXPECT_EQ(read_all(v, frames, 1000000), 2);
    EXPECT_GE(frames.size(), 2000u);
    EXPECT_LE(frames.size(), 4u * 1000 + 1024u);
    EXPECT_TRUE(has_line(log, "stops at its edit")) << (log.lines.empty() ? "" : log.lines[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, SampleBound,
    testing::Values(bound_case{"OneLongGroup", [] { return test_movie::long_group(1000, 200); }},
                    bound_case{"WholeMedia", [] { return whole_media_edits(1000, 200); }}),
    [](const testing::TestParamInfo<bound_case>& info) { return std::string(info.param.name); });

// Edits past the ones walked are not delivered: the reader says from where.
TEST_F(EditWalk, EditsPastTheLastWalkedAreSaidToBeLeftOut) {
    movie_ptr movie = open_built(test_movie::long_group(4, kMaxEditsWalked + 3));
    log_recorder log;
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    EXPECT_TRUE(has_line(log, "shows its first 4096 edits only: the edits from 4.096 s on are "
                              "left out"))
        << (log.lines.empty() ? "" : log.lines[0]);
}

// QuickTime may round an edit's last instant either way: an edit whose span
// lies within a media unit or two of a rate-1 mapping is kept (rate 1 plus
// 1/65536 over 89,850 media units: one unit off). One further off (3/65536:
// four units off), or at another rate (dwell, half, double), would put its
// frames at wrong times: the track is left out, with a line that names it.
class EditRate : public EditWalk, public testing::WithParamInterface<int32_t> {};

TEST_P(EditRate, WithinAMediaUnitOfRateOneIsKept) {
    const int32_t rate = GetParam();
    const bool kept = rate == 0x10000 || rate == 0x10001;
    test_movie::movie_plan plan;
    plan.time_scale = 600;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, 16, 16);
    t.time_scale = 90000;
    t.add_samples(30, 10, 3000);
    t.add_edit(120, 0).add_edit(600, 0, rate);
    movie_ptr movie = open_built(plan);
    ASSERT_NE(movie, nullptr);
    log_recorder log;
    video_track v;
    EXPECT_EQ(v.open(movie.get()), kept ? 0 : 1);
    EXPECT_EQ(has_line(log, "its edit 2 (at 0.200 s) plays its media at a rate other than 1"),
              !kept)
        << (log.lines.empty() ? "" : log.lines[0]);
}

INSTANTIATE_TEST_SUITE_P(Rates, EditRate,
                         testing::Values(0x10000, 0x10001, 0x10003, 0, 0x8000, 0x20000));

// An edit whose media time leaves no room for its length in 64 bits is no
// edit at another rate: the track is left out for what it is.
TEST_F(EditWalk, EditAtTheLastMediaTimeIsRefusedForItsMediaTime) {
    test_movie::movie_plan plan = test_movie::long_group(4, 0);
    plan.version1_headers = true;
    plan.tracks[0].add_edit(2, 0).add_edit(2, INT64_MAX);
    movie_ptr movie = open_built(plan);
    ASSERT_NE(movie, nullptr);
    log_recorder log;
    video_track v;
    EXPECT_EQ(v.open(movie.get()), 1);
    EXPECT_TRUE(has_line(log, "its edit 2 (at 0.002 s) shows media times beyond any movie's"))
        << (log.lines.empty() ? "" : log.lines[0]);
}

}  // namespace
