// Samples of a built media: next interesting decode times at and between
// sample boundaries in both directions, sync and partial sync samples, chunk
// starts, and GetMediaSample2's answers.
#include <gtest/gtest.h>

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

TEST_F(MediaSamples, BufferSmallerThanTheSampleIsRefusedUntouched) {
    std::vector<uint8_t> data(10, 0xEE);
    EXPECT_NE(qtrt::GetMediaSample2(m_media, data.data(), 10, nullptr, 0, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, 1, nullptr, nullptr),
              noErr);
    EXPECT_EQ(data, std::vector<uint8_t>(10, 0xEE));
}

TEST_F(MediaSamples, TimeAtOrPastTheEndOrBeforeTheStartIsInvalid) {
    for (TimeValue64 t : {TimeValue64(1000), TimeValue64(5000), TimeValue64(-1)}) {
        EXPECT_EQ(qtrt::GetMediaSample2(m_media, nullptr, 0, nullptr, t, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, 1, nullptr, nullptr),
                  invalidTime)
            << t;
        EXPECT_EQ(qtrt::GetMoviesError(), invalidTime);
    }
}

}  // namespace
