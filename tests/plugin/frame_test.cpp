#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "importer/frame.h"

namespace ns_movie_apple_qt {
namespace {

bool all_zero(const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (data[i] != 0) return false;
    return true;
}

class FrameBuffer : public ::testing::TestWithParam<uint32_t> {};

TEST_P(FrameBuffer, VideoFrameHasSizePlus1000ZeroBytes) {
    frame* f = video_frame::create(GetParam(), 0, 0, 0, 0, 0, 0, 0, kolmbase::timecode(), false);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->data(), nullptr);
    EXPECT_EQ(f->size(), GetParam());
    EXPECT_TRUE(all_zero(f->data(), size_t(GetParam()) + 1000));
    release_frame(f, true);
}

TEST_P(FrameBuffer, AudioFrameHasSizePlus1000ZeroBytes) {
    frame* f = audio_frame::create(GetParam(), 0, 0, 0, 0);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->data(), nullptr);
    EXPECT_TRUE(all_zero(f->data(), size_t(GetParam()) + 1000));
    release_frame(f, true);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameBuffer, ::testing::Values(0u, 1u, 4096u));

class FrameSizeTooLarge : public ::testing::TestWithParam<uint32_t> {};

// The buffer size would wrap around the 32-bit address space.
TEST_P(FrameSizeTooLarge, FactoriesAnswerNull) {
    EXPECT_EQ(audio_frame::create(GetParam(), 0, 0, 0, 0), nullptr);
    EXPECT_EQ(video_frame::create(GetParam(), 0, 0, 0, 0, 0, 0, 0, kolmbase::timecode(), true),
              nullptr);
}

INSTANTIATE_TEST_SUITE_P(WrappingSizes, FrameSizeTooLarge,
                         ::testing::Values(uint32_t(UINT32_MAX), uint32_t(SIZE_MAX - 999)));

TEST(VideoFrame, KeepsWhatItWasMadeWith) {
    kolmbase::timecode tc(kolmbase::timecode::mode_2997_drop, 1, 2, 3, 4, 1);
    video_frame* f = video_frame::create(10, 0x61766331, 1.5, 1.25, 0.04, 0x100000002ull, 1920,
                                         1080, tc, true);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->kind(), 2u);
    EXPECT_EQ(f->format(), 0x61766331u);
    EXPECT_EQ(f->display_time(), 1.5);
    EXPECT_EQ(f->decode_time(), 1.25);
    EXPECT_EQ(f->duration(), 0.04);
    EXPECT_EQ(f->number(), 0x100000002ull);
    EXPECT_EQ(f->width(), 1920u);
    EXPECT_EQ(f->height(), 1080u);
    EXPECT_EQ(f->timecode(), tc);
    EXPECT_TRUE(f->is_key_frame());
    frame* base = f;
    release_frame(base, true);
}

TEST(ReleaseFrame, NullFrameIsLeftAlone) {
    frame* f = nullptr;
    release_frame(f, true);
    release_frame(f, false);
    EXPECT_EQ(f, nullptr);
}

// The buffer handed on to a host frame must outlive the frame object; the
// sanitizer build catches a buffer freed here.
TEST(ReleaseFrame, WithoutFreeDataLeavesTheBufferToTheCaller) {
    frame* f = audio_frame::create(16, 0, 0, 0, 0);
    ASSERT_NE(f, nullptr);
    uint8_t* data = f->data();
    release_frame(f, false);
    EXPECT_EQ(f, nullptr);
    data[15] = 0xAB;
    data[1015] = 0xCD;
    EXPECT_EQ(data[15], 0xAB);
    std::free(data);
}

}  // namespace
}  // namespace ns_movie_apple_qt
