// The reader frames' buffers: no buffer when its size (with the padding past
// the data for decoders that read ahead) would wrap.
#include <gtest/gtest.h>

#include <cstdint>

#include "importer/frame.h"

namespace ns_movie_apple_qt {
namespace {

frame* make(bool video, uint32_t size) {
    if (video) return video_frame::create(size, 0, 0, 0, 0, 0, 0, 0, kolmbase::timecode(), false);
    return audio_frame::create(size, 0, 0, 0, 0);
}

// The buffer size would wrap around the 32-bit address space.
TEST(FrameBuffer, SizeThatWrapsGivesNoFrame) {
    for (bool video : {false, true}) {
        EXPECT_EQ(make(video, UINT32_MAX), nullptr);
        EXPECT_EQ(make(video, uint32_t(SIZE_MAX - 999)), nullptr);
    }
}

}  // namespace
}  // namespace ns_movie_apple_qt
