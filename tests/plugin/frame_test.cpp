// The reader frames' buffers: zero padding past the data, for decoders that
// read ahead, and no buffer when its size would wrap.
#include <gtest/gtest.h>

#include <cstdint>

#include "importer/frame.h"

namespace ns_movie_apple_qt {
namespace {

frame* make(bool video, uint32_t size) {
    if (video) return video_frame::create(size, 0, 0, 0, 0, 0, 0, 0, kolmbase::timecode(), false);
    return audio_frame::create(size, 0, 0, 0, 0);
}

class FrameBuffer : public ::testing::TestWithParam<std::tuple<bool, uint32_t>> {};

TEST_P(FrameBuffer, HoldsSizePlus1000ZeroBytes) {
    const uint32_t size = std::get<1>(GetParam());
    frame* f = make(std::get<0>(GetParam()), size);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size(), size);
    size_t nonzero = 0;
    for (size_t i = 0; i < size_t(size) + 1000; ++i) nonzero += f->data()[i] != 0;
    EXPECT_EQ(nonzero, 0u);
    release_frame(f, true);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameBuffer,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(0u, 4096u)));

// The buffer size would wrap around the 32-bit address space.
TEST(FrameBuffer, SizeThatWrapsGivesNoFrame) {
    for (bool video : {false, true}) {
        EXPECT_EQ(make(video, UINT32_MAX), nullptr);
        EXPECT_EQ(make(video, uint32_t(SIZE_MAX - 999)), nullptr);
    }
}

}  // namespace
}  // namespace ns_movie_apple_qt
