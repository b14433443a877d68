// Time codes: frame numbers to time code records (drop-frame, 24-hour wrap,
// negative times, counters), and the time code media handler answering
// TCGetCurrentTimeCode through a component call record at the movie's time.
#include <gtest/gtest.h>

#include <cstdio>

#include "components/component_manager.h"
#include "memory/memory_manager.h"
#include "movie/time_code.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

constexpr int32_t kDropFrame = 1;
constexpr int32_t k24HourMax = 2;
constexpr int32_t kNegTimesOK = 4;
constexpr int32_t kCounter = 8;

std::string text_of(const TimeCodeRecord& r) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%02d:%02d:%02d:%02d", (r.t.hours & 0x80) ? "-" : "",
                  r.t.hours & 0x7F, r.t.minutes, r.t.seconds, r.t.frames);
    return buffer;
}

struct record_case {
    const char* name;
    int32_t frame;
    int32_t flags;
    uint8_t fps;
    const char* expected;
};

class FrameToTimeCode : public ::testing::TestWithParam<record_case> {};

TEST_P(FrameToTimeCode, GivesTheRecordOfTheFrame) {
    const record_case& c = GetParam();
    TimeCodeDef def{c.flags, c.fps == 30 ? 30000 : c.fps * 100, c.fps == 30 ? 1001 : 100, c.fps, 0};
    TimeCodeRecord record{};
    qtrt::frame_to_time_code(c.frame, def, record);
    EXPECT_EQ(text_of(record), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameToTimeCode,
    ::testing::Values(
        record_case{"NonDropOneHour", 90000, 0, 25, "01:00:00:00"},
        record_case{"NonDropLastFrameOfSecond", 24, 0, 25, "00:00:00:24"},
        record_case{"DropFrameLastOfMinuteZero", 1799, kDropFrame, 30, "00:00:59:29"},
        record_case{"DropFrameSkipsZeroAndOne", 1800, kDropFrame, 30, "00:01:00:02"},
        record_case{"DropFrameTenthMinuteKeepsZero", 17982, kDropFrame, 30, "00:10:00:00"},
        record_case{"DropFrameOneHour", 107892, kDropFrame, 30, "01:00:00:00"},
        record_case{"NonDrop30CountsEveryFrame", 1800, 0, 30, "00:01:00:00"},
        record_case{"Wraps24Hours", 25 * 3600 * 25, k24HourMax, 25, "01:00:00:00"},
        record_case{"NoWrapWithout24HourMax", 25 * 3600 * 25, 0, 25, "25:00:00:00"},
        record_case{"NegativeTimeFlagged", -26, kNegTimesOK, 25, "-00:00:01:01"}),
    [](const ::testing::TestParamInfo<record_case>& info) { return std::string(info.param.name); });

TEST(FrameToTimeCode, CounterFlagGivesTheCounter) {
    TimeCodeDef def{kCounter, 2500, 100, 25, 0};
    TimeCodeRecord record{};
    qtrt::frame_to_time_code(12345, def, record);
    EXPECT_EQ(record.c.counter, 12345);
}

struct current_time_code {
    OSErr result;
    int32_t frame = 0;
    TimeCodeDef def{};
    TimeCodeRecord record{};
    std::string reel;
};

// TCGetCurrentTimeCode through a parameter record, then the reel name from
// the source user data.
current_time_code ask(MediaHandler handler) {
    current_time_code out;
    UserData source = nullptr;
    out.result = ComponentResult(qtrt::call_component(
        handler, 0x101,
        {int32_t(reinterpret_cast<intptr_t>(&out.frame)), int32_t(reinterpret_cast<intptr_t>(&out.def)),
         int32_t(reinterpret_cast<intptr_t>(&out.record)), int32_t(reinterpret_cast<intptr_t>(&source))}));
    if (source) {
        Handle text = qtrt::NewHandle(0);
        if (qtrt::GetUserDataText(source, text, qt_fourcc("name"), 1, 0) == noErr)
            out.reel.assign(*text, size_t(qtrt::GetHandleSize(text)));
        qtrt::DisposeHandle(text);
        qtrt::DisposeUserData(source);
    }
    return out;
}

MediaHandler time_code_handler(Movie movie) {
    Media media = media_of_type(movie, qt_fourcc("tmcd"));
    return media ? qtrt::GetMediaHandler(media) : nullptr;
}

TEST(TimeCodeMediaHandler, DropFrameCountsAcrossAMinuteBoundary) {
    // 29.97 drop-frame from 00:00:59;28 (frame 1798): one sample covering ten
    // frames in a movie of the same time scale.
    test_movie::movie_plan plan;
    plan.time_scale = 30000;
    plan.add_time_code(kDropFrame, 30000, 1001, 30, "REEL7", {1798}, 10);
    movie_ptr movie = open_built(plan, "dropframe.mov");
    ASSERT_NE(movie, nullptr);
    MediaHandler handler = time_code_handler(movie.get());
    ASSERT_NE(handler, nullptr);
    const char* expected[] = {"00:00:59:28", "00:00:59:29", "00:01:00:02", "00:01:00:03", "00:01:00:04"};
    for (int k = 0; k < 5; ++k) {
        qtrt::SetMovieTimeValue(movie.get(), k * 1001 + 500);
        current_time_code tc = ask(handler);
        ASSERT_EQ(tc.result, noErr);
        EXPECT_EQ(tc.frame, 1798 + k);
        EXPECT_EQ(text_of(tc.record), expected[k]) << "frame " << k;
        EXPECT_EQ(tc.def.flags, kDropFrame);
        EXPECT_EQ(tc.def.fTimeScale, 30000);
        EXPECT_EQ(tc.def.frameDuration, 1001);
        EXPECT_EQ(tc.def.numFrames, 30);
        EXPECT_EQ(tc.reel, "REEL7");
    }
}

TEST(TimeCodeMediaHandler, EachSampleStartsFromItsOwnCounter) {
    test_movie::movie_plan plan;
    plan.add_time_code(0, 2500, 100, 25, "", {100, 5000}, 4);
    movie_ptr movie = open_built(plan, "two_samples.mov");
    ASSERT_NE(movie, nullptr);
    MediaHandler handler = time_code_handler(movie.get());
    // Movie scale 600: a frame is 24 units; the second sample starts at 96.
    const std::pair<TimeValue, int32_t> expected[] = {{0, 100}, {25, 101}, {95, 103}, {96, 5000}, {150, 5002}};
    for (const auto& e : expected) {
        qtrt::SetMovieTimeValue(movie.get(), e.first);
        current_time_code tc = ask(handler);
        ASSERT_EQ(tc.result, noErr);
        EXPECT_EQ(tc.frame, e.second) << "movie time " << e.first;
        EXPECT_EQ(tc.reel, "");
    }
    qtrt::SetMovieTimeValue(movie.get(), 200);
    EXPECT_NE(ask(handler).result, noErr);
}

TEST(TimeCodeMediaHandler, AnswersCharacteristicsAndRefusesTimeCodeCallsOnVideo) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(2, 10, 100);
    movie_ptr movie = open_built(plan, "video.mov");
    ASSERT_NE(movie, nullptr);
    MediaHandler handler = qtrt::GetMediaHandler(media_of_type(movie.get(), qt_fourcc("vide")));
    ASSERT_NE(handler, nullptr);
    for (const auto& c : {std::make_pair(qt_fourcc("eyes"), 1), std::make_pair(qt_fourcc("vfrr"), 1),
                          std::make_pair(qt_fourcc("ears"), 0), std::make_pair(qt_fourcc("mpeg"), 0)}) {
        Boolean has = 7;
        ASSERT_EQ(qtrt::call_component(handler, 0x51A,
                                       {int32_t(c.first), int32_t(reinterpret_cast<intptr_t>(&has))}),
                  noErr);
        EXPECT_EQ(has, c.second);
    }
    int32_t frame = 0;
    EXPECT_NE(qtrt::call_component(handler, 0x101,
                                   {int32_t(reinterpret_cast<intptr_t>(&frame)), 0, 0, 0}),
              noErr);
}

struct fixture_case {
    const char* movie;
    int32_t flags;
    const char* first;
    const char* third;
    const char* reel;
};

class TimeCodeFixtures : public ::testing::TestWithParam<fixture_case> {};

TEST_P(TimeCodeFixtures, StartAndThirdFrameTimeCodes) {
    const fixture_case& c = GetParam();
    Movie movie = nullptr;
    ASSERT_EQ(open_movie(std::string(RUV_TEST_DATA_DIR) + "/" + c.movie + ".mov", movie), noErr);
    movie_ptr owner(movie);
    MediaHandler handler = time_code_handler(movie);
    ASSERT_NE(handler, nullptr);
    current_time_code start = ask(handler);
    ASSERT_EQ(start.result, noErr);
    EXPECT_EQ(start.def.flags & kDropFrame, c.flags);
    EXPECT_EQ(text_of(start.record), c.first);
    EXPECT_EQ(start.reel, c.reel);
    // The middle of the third frame, in movie time (a new hour is a tenth
    // minute: drop-frame counting keeps its frames 0 and 1).
    const int64_t scale = qtrt::GetMovieTimeScale(movie);
    const int64_t frame = int64_t(start.def.frameDuration) * scale / start.def.fTimeScale;
    qtrt::SetMovieTimeValue(movie, TimeValue(2 * frame + frame / 2));
    EXPECT_EQ(text_of(ask(handler).record), c.third);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, TimeCodeFixtures,
    ::testing::Values(fixture_case{"h264_bframes_tc", 0, "01:00:00:00", "01:00:00:02", "A001"},
                      fixture_case{"h264_2997_dropframe", kDropFrame, "00:59:59:28", "01:00:00:00", ""}),
    [](const ::testing::TestParamInfo<fixture_case>& info) { return std::string(info.param.movie); });

}  // namespace
