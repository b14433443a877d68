// The edit-run cursor on runs built by hand from edits: where each sample a
// run reads is shown and decoded, where runs end, and how a new seek starts
// over. A media of equal samples stands in for QuickTime's sample searches.
#include <gtest/gtest.h>

#include <vector>

#include "importer/edit_run_cursor.h"
#include "importer/media_time.h"
#include "importer/shown_media.h"

namespace {

using namespace ns_movie_apple_qt;

// Movie and media time scale: one tick is 10 ms on both, one sample 100 ms.
constexpr TimeScale kScale = 100;
constexpr TimeValue64 kSample = 10;
constexpr TimeValue64 kMediaEnd = 10 * kSample;

// A frame read: decode time, display time, duration, in ms (rounded).
struct read_frame {
    int decode;
    int display;
    int duration;
    bool operator==(const read_frame& o) const {
        return decode == o.decode && display == o.display && duration == o.duration;
    }
};

std::ostream& operator<<(std::ostream& out, const read_frame& f) {
    return out << "{" << f.decode << ", " << f.display << ", " << f.duration << "}";
}

int ms(double seconds) { return int(seconds * 1000.0 + (seconds < 0 ? -0.5 : 0.5)); }

// Reads as the video reader does, from the next sample at or after the
// cursor's position, until a sample past the last run or the media's end.
std::vector<read_frame> read_all(edit_run_cursor& cursor) {
    std::vector<read_frame> frames;
    for (int guard = 0; guard < 100; ++guard) {
        const TimeValue64 from = cursor.search_from();
        if (from >= kMediaEnd) break;
        const TimeValue64 next = (from + kSample - 1) / kSample * kSample;
        const TimeValue64 t = cursor.found(next);
        const sample_times times = cursor.stamp(kSample, 0, kScale);
        if (cursor.past_run()) break;
        frames.push_back({ms(times.decode), ms(times.display), ms(times.duration)});
        cursor.delivered(t, kSample, times.decode, kScale);
    }
    return frames;
}

// The run of edit e, the first edit origin: from the sync sample decoded at
// sync, through the last sample it shows (every sample is shown at its
// decode time).
read_segment run_of(const shown_edit& origin, const shown_edit* previous, const shown_edit& e,
                    TimeValue64 sync) {
    read_segment run;
    run.from = sync;
    const TimeValue64 last = last_shown(e, e.end, kScale, kScale);
    run.last = last / kSample * kSample;
    run.shift = shift_from(origin, e, kScale, kScale);
    run.continues = previous && continues_media(*previous, e, kScale, kScale);
    run.edit_number = e.number;
    return run;
}

std::vector<read_segment> runs_of(const std::vector<shown_edit>& edits,
                                  const std::vector<TimeValue64>& syncs) {
    std::vector<read_segment> runs;
    for (size_t i = 0; i < edits.size(); ++i)
        runs.push_back(run_of(edits[0], i ? &edits[i - 1] : nullptr, edits[i], syncs[i]));
    return runs;
}

struct cursor_case {
    const char* name;
    std::vector<shown_edit> edits;
    // Decode time of the sync sample each edit's run starts from.
    std::vector<TimeValue64> syncs;
    std::vector<read_frame> expected;
};

class EditRunCursor : public testing::TestWithParam<cursor_case> {};

TEST_P(EditRunCursor, PlacesEverySampleWhereItsEditShowsIt) {
    const cursor_case& c = GetParam();
    edit_run_cursor cursor;
    cursor.start(runs_of(c.edits, c.syncs));
    EXPECT_EQ(read_all(cursor), c.expected);
}

// Edits are {number, track start, track end, media start}, in ticks.
INSTANTIATE_TEST_SUITE_P(
    Edits, EditRunCursor,
    testing::Values(
        // The run ends with its edit's last sample; the next one is past it.
        cursor_case{"OneEditEndsWithItsLastSample",
                    {{1, 0, 30, 0}},
                    {0},
                    {{0, 0, 100}, {100, 100, 100}, {200, 200, 100}}},
        // An edit ending inside a sample shows that sample.
        cursor_case{"EditEndingInsideASampleShowsIt",
                    {{1, 0, 25, 0}},
                    {0},
                    {{0, 0, 100}, {100, 100, 100}, {200, 200, 100}}},
        // Empty edits before the second shown edit move it on the time line.
        cursor_case{"EmptyEditBetweenShownEditsMovesTheLaterOne",
                    {{1, 0, 20, 0}, {3, 70, 90, 0}},
                    {0, 0},
                    {{0, 0, 100}, {100, 100, 100}, {700, 700, 100}, {800, 800, 100}}},
        // Shown from inside a group of pictures: the run starts at its sync
        // sample, frames before the edit are shown before its start, and
        // decode times go on after the previous run's.
        cursor_case{"TrimInsideAGroupStartsAtItsSyncSample",
                    {{1, 0, 30, 0}, {2, 30, 50, 10}},
                    {0, 0},
                    {{0, 0, 100},
                     {100, 100, 100},
                     {200, 200, 100},
                     {300, 200, 100},
                     {400, 300, 100},
                     {500, 400, 100}}},
        // A frame shown across time 0 starts at 0.
        cursor_case{"FrameShownAcrossZeroStartsThere",
                    {{1, 0, 10, 0}, {2, 10, 30, 25}},
                    {0, 0},
                    {{0, 0, 100},
                     {100, -150, 100},
                     {200, 0, 100},
                     {300, 50, 100},
                     {400, 150, 100},
                     {500, 250, 100}}},
        // An edit that continues the previous one's media delivers no sample
        // twice.
        cursor_case{"ContinuingEditDeliversNoSampleTwice",
                    {{1, 0, 20, 0}, {2, 20, 40, 20}},
                    {0, 0},
                    {{0, 0, 100}, {100, 100, 100}, {200, 200, 100}, {300, 300, 100}}}),
    [](const testing::TestParamInfo<cursor_case>& info) { return info.param.name; });

TEST(EditRunCursorSeek, NoRunMakesTheFirstSamplePastTheRun) {
    edit_run_cursor cursor;
    cursor.start({});
    EXPECT_EQ(cursor.search_from(), 0);
    EXPECT_TRUE(cursor.past_run());
    EXPECT_EQ(cursor.edit_number(), 0);
}

// A second seek starts over: nothing the first one delivered moves the
// decode times of the second.
TEST(EditRunCursorSeek, SeekStartsOverFromItsFirstRun) {
    const std::vector<shown_edit> edits = {{1, 0, 30, 0}, {2, 30, 50, 10}};
    edit_run_cursor cursor;
    cursor.start(runs_of(edits, {0, 0}));
    read_all(cursor);
    std::vector<read_segment> second = runs_of(edits, {0, 0});
    second.erase(second.begin());
    cursor.start(second);
    EXPECT_EQ(cursor.edit_number(), 2);
    const std::vector<read_frame> expected = {{200, 200, 100}, {300, 300, 100}, {400, 400, 100}};
    EXPECT_EQ(read_all(cursor), expected);
}

struct rescale_case {
    int64_t movie_ticks;
    TimeScale movie_scale;
    TimeScale media_scale;
    int64_t down;
    int64_t up;
};

class MovieToMediaTicks : public testing::TestWithParam<rescale_case> {};

// Rate-1 edits map movie ticks onto media ticks exactly when the scales
// divide; otherwise rounded down for an edit's length, up for its end.
TEST_P(MovieToMediaTicks, RoundsDownAndUpOnlyBetweenTicks) {
    const rescale_case& c = GetParam();
    EXPECT_EQ(movie_to_media_ticks(c.movie_ticks, c.movie_scale, c.media_scale, rounding::down),
              c.down);
    EXPECT_EQ(movie_to_media_ticks(c.movie_ticks, c.movie_scale, c.media_scale, rounding::up),
              c.up);
}

INSTANTIATE_TEST_SUITE_P(Scales, MovieToMediaTicks,
                         testing::Values(rescale_case{600, 600, 90000, 90000, 90000},
                                         rescale_case{1, 3, 10, 3, 4},
                                         rescale_case{1001, 30000, 600, 20, 21},
                                         rescale_case{0, 600, 25, 0, 0},
                                         rescale_case{0x7FFFFFFF, 1, 0x7FFFFFFF,
                                                      int64_t(0x7FFFFFFF) * 0x7FFFFFFF,
                                                      int64_t(0x7FFFFFFF) * 0x7FFFFFFF}));

// An edit ends with the last frame starting within its last movie tick.
TEST(LastShown, FrameStartingInTheEditsLastTickIsShown) {
    const shown_edit e{1, 0, 1, 100};
    EXPECT_EQ(last_shown(e, 1, 3, 10), 103);
    EXPECT_EQ(last_shown(e, 1, 10, 10), 100);
}

}  // namespace
