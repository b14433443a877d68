// Samples of a built media: next interesting decode times at and between
// sample boundaries in both directions, sync and partial sync samples, chunk
// starts, and GetMediaSample2's answers.
#include <gtest/gtest.h>

#include <tuple>

#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

constexpr int16_t kSample = 0x1;
constexpr int16_t kMediaEdit = 0x2;
constexpr int16_t kSync = 0x8;
constexpr int16_t kPartial = 0x20;
constexpr int16_t kEdge = 0x4000;

// Ten samples of 100 units: sync samples 0 and 5, partial sync samples 3 and 7;
// 'sdtp' bytes on the first two.
test_movie::movie_plan ten_samples() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(10, 50, 100, false);
    for (uint32_t i = 0; i < 10; ++i) {
        video.samples[i].size = 50 + i;
        video.samples[i].sync = i == 0 || i == 5;
        video.samples[i].partial_sync = i == 3 || i == 7;
        video.samples[i].composition_offset = i % 2 ? -50 : 100;
    }
    video.samples[0].dependency = 0x24;  // depends on none, others depend on it
    video.samples[1].dependency = 0x59;  // earlier display allowed, depends, droppable, redundant
    video.samples_per_chunk = 3;
    return plan;
}

class MediaSamples : public ::testing::Test {
protected:
    void SetUp() override {
        m_movie = open_built(ten_samples(), "ten.mov");
        ASSERT_NE(m_movie, nullptr);
        m_media = media_of_type(m_movie.get(), qt_fourcc("vide"));
        ASSERT_NE(m_media, nullptr);
    }
    movie_ptr m_movie;
    Media m_media = nullptr;
};

struct search_case {
    const char* name;
    int16_t flags;
    TimeValue64 from;
    Fixed rate;
    TimeValue64 expected;
};

class NextInterestingDecodeTime : public MediaSamples,
                                  public ::testing::WithParamInterface<search_case> {};

TEST_P(NextInterestingDecodeTime, FindsTheExpectedSampleStart) {
    const search_case& c = GetParam();
    TimeValue64 t = 0, duration = 0;
    qtrt::GetMediaNextInterestingDecodeTime(m_media, c.flags, c.from, c.rate, &t, &duration);
    EXPECT_EQ(t, c.expected);
    EXPECT_EQ(duration, c.expected >= 0 ? 100 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextInterestingDecodeTime,
    ::testing::Values(
        search_case{"SampleAtStartWithEdge", kSample | kEdge, 0, kForward, 0},
        search_case{"SampleBetweenBoundaries", kSample | kEdge, 150, kForward, 200},
        search_case{"PastLastSampleNone", kSample, 900, kForward, -1},
        search_case{"BackwardAtBoundaryNoEdge", kSample, 200, kBackward, 100},
        search_case{"BackwardAtZeroNoEdge", kSample, 0, kBackward, -1},
        search_case{"BackwardPastEndFindsLast", kSample | kEdge, 5000, kBackward, 900},
        search_case{"SyncForward", kSync | kEdge, 100, kForward, 500},
        search_case{"SyncAfterLastSyncNone", kSync, 500, kForward, -1},
        search_case{"SyncBackwardAtSyncNoEdge", kSync, 500, kBackward, 0},
        search_case{"PartialBackwardPrefersLaterSync", kPartial | kEdge, 650, kBackward, 500},
        search_case{"PartialBackwardFindsPartial", kPartial | kEdge, 750, kBackward, 700},
        search_case{"MediaEditIsTheNextChunk", kMediaEdit, 100, kForward, 300},
        search_case{"MediaEditBackwardIsItsChunk", kMediaEdit, 450, kBackward, 300}),
    [](const ::testing::TestParamInfo<search_case>& info) { return std::string(info.param.name); });

// A buffer smaller than the sample is refused and left untouched; a time at
// or past the end, or before the start, is invalid.
TEST_F(MediaSamples, ShortBufferAndTimesOutsideTheMediaAreRefused) {
    std::vector<uint8_t> data(10, 0xEE);
    EXPECT_NE(read_sample(m_media, 0, data.data(), 10), noErr);
    EXPECT_EQ(data, std::vector<uint8_t>(10, 0xEE));
    for (TimeValue64 t : {TimeValue64(1000), TimeValue64(5000), TimeValue64(-1)}) {
        EXPECT_EQ(read_sample(m_media, t), invalidTime) << t;
        EXPECT_EQ(qtrt::GetMoviesError(), invalidTime);
    }
}

// Lookups remember where the previous one ended; answers must not depend on
// the order they are asked in. 60 samples in runs of durations and offsets,
// sync every 7, partial sync every 11: each asked forward, then backward and
// striding, from its start and from inside it.
TEST(MediaSampleOrder, AnswersDoNotDependOnTheOrderOfLookups) {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    for (uint32_t i = 0; i < 60; ++i) {
        test_movie::sample s;
        s.size = 10 + i % 13;
        s.duration = 50 + 50 * (i / 9 % 3);
        s.composition_offset = i / 4 % 3 * 100;
        s.sync = i % 7 == 0;
        s.partial_sync = i % 11 == 5;
        video.samples.push_back(s);
    }
    video.samples_per_chunk = 4;
    movie_ptr movie = open_built(plan, "order.mov");
    ASSERT_NE(movie, nullptr);
    Media media = media_of_type(movie.get(), qt_fourcc("vide"));
    // Decode time, duration, display offset, size, flags.
    using answer = std::tuple<TimeValue64, TimeValue64, TimeValue64, ByteCount, MediaSampleFlags>;
    auto ask = [media](TimeValue64 t) {
        answer a{};
        EXPECT_EQ(qtrt::GetMediaSample2(media, nullptr, 0, &std::get<3>(a), t, &std::get<0>(a),
                                        &std::get<1>(a), &std::get<2>(a), nullptr, nullptr, 1,
                                        nullptr, &std::get<4>(a)),
                  noErr);
        return a;
    };
    std::vector<TimeValue64> starts;
    std::vector<answer> forward;
    TimeValue64 start = 0;
    for (const test_movie::sample& s : video.samples) {
        starts.push_back(start);
        forward.push_back(ask(start));
        EXPECT_EQ(forward.back(), answer(start, s.duration, s.composition_offset, s.size,
                                         std::get<4>(forward.back())));
        start += s.duration;
    }
    std::vector<size_t> order;
    for (size_t i = starts.size(); i-- > 0;) order.push_back(i);
    for (size_t i = 0; i < starts.size(); i += 3) order.push_back(i);
    for (size_t i = 1; i < starts.size(); i += 7) order.push_back(starts.size() - i);
    for (size_t i : order) {
        EXPECT_EQ(ask(starts[i]), forward[i]) << "sample " << i;
        EXPECT_EQ(ask(starts[i] + 49), forward[i]) << "sample " << i;
    }
}

}  // namespace
