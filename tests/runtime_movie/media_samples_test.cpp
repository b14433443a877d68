// Samples of a built media: next interesting decode times at and between
// sample boundaries in both directions, sync and partial sync samples, chunk
// starts, and GetMediaSample2's answers.
#include <gtest/gtest.h>

#include "movie/movie_access.h"
#include "runtime_movie/movie_test_support.h"
#include "support/fixture_files.h"

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
        search_case{"SampleAtStartWithoutEdgeIsNext", kSample, 0, kForward, 100},
        search_case{"SampleBetweenBoundaries", kSample | kEdge, 150, kForward, 200},
        search_case{"SampleBetweenBoundariesNoEdge", kSample, 150, kForward, 200},
        search_case{"LastSampleWithEdge", kSample | kEdge, 900, kForward, 900},
        search_case{"PastLastSampleNone", kSample, 900, kForward, -1},
        search_case{"AtEndNone", kSample | kEdge, 1000, kForward, -1},
        search_case{"BeforeStartFindsFirst", kSample | kEdge, -50, kForward, 0},
        search_case{"BackwardBetweenBoundaries", kSample | kEdge, 150, kBackward, 100},
        search_case{"BackwardAtBoundaryNoEdge", kSample, 200, kBackward, 100},
        search_case{"BackwardAtBoundaryWithEdge", kSample | kEdge, 200, kBackward, 200},
        search_case{"BackwardAtZeroNoEdge", kSample, 0, kBackward, -1},
        search_case{"BackwardAtZeroWithEdge", kSample | kEdge, 0, kBackward, 0},
        search_case{"BackwardPastEndFindsLast", kSample | kEdge, 5000, kBackward, 900},
        search_case{"SyncForward", kSync | kEdge, 100, kForward, 500},
        search_case{"SyncAtSyncWithEdge", kSync | kEdge, 500, kForward, 500},
        search_case{"SyncAfterLastSyncNone", kSync, 500, kForward, -1},
        search_case{"SyncBackwardBetween", kSync | kEdge, 450, kBackward, 0},
        search_case{"SyncBackwardAtSyncWithEdge", kSync | kEdge, 500, kBackward, 500},
        search_case{"SyncBackwardAtSyncNoEdge", kSync, 500, kBackward, 0},
        search_case{"PartialForwardFindsPartial", kPartial | kEdge, 100, kForward, 300},
        search_case{"PartialBackwardPrefersLaterSync", kPartial | kEdge, 650, kBackward, 500},
        search_case{"PartialBackwardFindsPartial", kPartial | kEdge, 750, kBackward, 700},
        search_case{"PartialForwardNone", kPartial, 900, kForward, -1},
        search_case{"MediaEditIsTheNextChunk", kMediaEdit, 100, kForward, 300},
        search_case{"MediaEditAtAChunkWithEdge", kMediaEdit | kEdge, 600, kForward, 600},
        search_case{"MediaEditBackwardIsItsChunk", kMediaEdit, 450, kBackward, 300},
        search_case{"MediaEditPastTheLastChunkNone", kMediaEdit, 950, kForward, -1}),
    [](const ::testing::TestParamInfo<search_case>& info) { return std::string(info.param.name); });

TEST_F(MediaSamples, SampleBetweenBoundariesAnswersTheSampleHoldingTheTime) {
    ByteCount size = 0;
    TimeValue64 decode = 0, duration = 0, offset = 0;
    MediaSampleFlags flags = 0xFFFF;
    ASSERT_EQ(qtrt::GetMediaSample2(m_media, nullptr, 0, &size, 150, &decode, &duration, &offset,
                                    nullptr, nullptr, 1, nullptr, &flags),
              noErr);
    EXPECT_EQ(size, 51u);
    EXPECT_EQ(decode, 100);
    EXPECT_EQ(duration, 100);
    EXPECT_EQ(offset, -50);
    EXPECT_EQ(flags, 0x59000001u);
}

TEST_F(MediaSamples, SampleFlagsMarkSyncPartialSyncAndDependencies) {
    const MediaSampleFlags expected[10] = {0x24000000, 0x59000001, 1, 0x10001, 1,
                                           0,          1,          0x10001, 1, 1};
    for (int i = 0; i < 10; ++i) {
        MediaSampleFlags flags = 0xFFFF;
        ASSERT_EQ(qtrt::GetMediaSample2(m_media, nullptr, 0, nullptr, i * 100, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, 1, nullptr, &flags),
                  noErr);
        EXPECT_EQ(flags, expected[i]) << "sample " << i;
    }
}

TEST_F(MediaSamples, DataFillsTheBufferWithTheSampleBytes) {
    for (uint32_t i = 0; i < 10; ++i) {
        std::vector<uint8_t> data(64, 0xEE);
        ByteCount size = 0;
        ASSERT_EQ(qtrt::GetMediaSample2(m_media, data.data(), 64, &size, i * 100 + 99, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr),
                  noErr);
        ASSERT_EQ(size, 50 + i);
        for (uint32_t k = 0; k < size; ++k)
            ASSERT_EQ(data[k], test_movie::sample_pattern_byte(1, i, k)) << "sample " << i;
        EXPECT_EQ(data[size], 0xEE);
    }
}

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

TEST_F(MediaSamples, ForwardedFormsAnswerLikeTheDirectOnes) {
    Media media = m_media;
    int16_t flags = kSample;
    TimeValue64 from = 150, out = 0, duration = 0;
    Fixed rate = kForward;
    TimeValue64* out_p = &out;
    TimeValue64* duration_p = &duration;
    qtrt::GetMediaNextInterestingDecodeTime_fwd(&media, &flags, &from, &rate, &out_p, &duration_p);
    EXPECT_EQ(out, 200);

    OSErr result = 1;
    uint8_t* data = nullptr;
    ByteCount max = 0, size = 0;
    ByteCount* size_p = &size;
    TimeValue64 decode = 250, start = 0;
    TimeValue64* start_p = &start;
    TimeValue64* none64 = nullptr;
    SampleDescriptionHandle no_desc = nullptr;
    ItemCount* none_count = nullptr;
    ItemCount max_samples = 1;
    MediaSampleFlags* none_flags = nullptr;
    qtrt::GetMediaSample2_fwd(&result, &media, &data, &max, &size_p, &decode, &start_p, &none64,
                              &none64, &no_desc, &none_count, &max_samples, &none_count, &none_flags);
    EXPECT_EQ(result, noErr);
    EXPECT_EQ(size, 52u);
    EXPECT_EQ(start, 200);

    TimeValue64 end = 0;
    qtrt::GetMediaDecodeDuration_fwd(&end, &media);
    EXPECT_EQ(end, 1000);
}

TEST_F(MediaSamples, DisplayTimeLookupFindsTheSampleShownAtATime) {
    // Display starts: 50 (sample 1), 100 (0), 250 (3), 300 (2), ... 900 (8).
    const qtrt::sample_table& table = qtrt::model_of(m_media)->samples;
    const std::pair<int64_t, int64_t> shown[] = {{40, -1}, {50, 1},  {120, 0},  {260, 3},
                                                 {300, 2}, {999, 8}, {1000, -1}};
    for (const auto& s : shown) {
        uint32_t index = 99;
        bool found = table.find_by_display_time(s.first, index);
        EXPECT_EQ(found ? int64_t(index) : -1, s.second) << "display time " << s.first;
    }
    int64_t start = 0;
    ASSERT_TRUE(table.next_display_start(100, true, false, start));
    EXPECT_EQ(start, 250);
    ASSERT_TRUE(table.next_display_start(100, true, true, start));
    EXPECT_EQ(start, 100);
    ASSERT_TRUE(table.next_display_start(250, false, false, start));
    EXPECT_EQ(start, 100);
    EXPECT_FALSE(table.next_display_start(900, true, false, start));
    EXPECT_FALSE(table.next_display_start(50, false, false, start));
}

TEST_F(MediaSamples, CountAndScaleComeFromTheMedia) {
    EXPECT_EQ(qtrt::GetMediaSampleCount(m_media), 10);
    EXPECT_EQ(qtrt::GetMediaTimeScale(m_media), 600);
    EXPECT_EQ(qtrt::GetMediaDecodeDuration(m_media), 1000);
}

// A Core Media movie whose 'stsc' names its first chunk twice and whose last
// sample lasts no time in 'stts': both samples are there, the last one
// lasting one unit.
TEST(RealMediaSamples, RepeatedChunkEntryAndLastSampleWithoutDuration) {
    const std::string path =
        test_fixtures::real_movie_path("h264_1242x2208_2frames_mp42_rxaudiovisual");
    if (path.empty()) GTEST_SKIP() << "../shared/real is not beside the repository";
    Movie opened = nullptr;
    ASSERT_EQ(open_movie(path, opened), noErr);
    movie_ptr movie(opened);
    Media media = media_of_type(movie.get(), qt_fourcc("vide"));
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(qtrt::GetMediaSampleCount(media), 2);
    ByteCount size = 0;
    TimeValue64 decode = 0, duration = 0;
    ASSERT_EQ(qtrt::GetMediaSample2(media, nullptr, 0, &size, 2839, &decode, &duration, nullptr,
                                    nullptr, nullptr, 1, nullptr, nullptr),
              noErr);
    EXPECT_EQ(size, 91961u);
    EXPECT_EQ(decode, 2839);
    EXPECT_EQ(duration, 1);
}

}  // namespace
