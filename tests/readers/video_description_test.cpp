// The video description from an image description's bytes and the
// extensions QuickTime hands for it, built by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "importer/qt_constants.h"
#include "importer/video_description.h"
#include "quicktime/movies.h"

namespace {

using namespace ns_movie_apple_qt;

std::vector<uint8_t> image_description(int16_t width, int16_t height, int16_t depth,
                                       uint32_t format) {
    ImageDescription d;
    std::memset(&d, 0, sizeof d);
    d.idSize = int32_t(sizeof d);
    d.cType = format;
    d.width = width;
    d.height = height;
    d.depth = depth;
    std::vector<uint8_t> bytes(sizeof d);
    std::memcpy(bytes.data(), &d, sizeof d);
    return bytes;
}

std::vector<uint8_t> be32(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : values)
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(v >> shift));
    return bytes;
}

TEST(VideoDescription, FixedFieldsAndEveryExtensionAreGathered) {
    const std::vector<image_extension> extensions = {
        {qtcode::kExtensionPixelAspect, be32({0x10004, 3})},
        {qtcode::kExtensionCleanAperture, be32({1440, 2, 1080, 1, 0, 1, 0, 1})},
        {qtcode::kExtensionFields, {2, 6}},
        {qtcode::kExtensionElementaryStream, {1, 2, 3}}};
    video_description d;
    ASSERT_TRUE(describe_video(image_description(720, 576, 24, qt_fourcc("avc1")), extensions, d));
    EXPECT_EQ(d.width, 720);
    EXPECT_EQ(d.height, 576);
    EXPECT_EQ(d.depth, 24);
    EXPECT_EQ(d.format, qt_fourcc("avc1"));
    EXPECT_TRUE(d.has_aspect);
    EXPECT_EQ(d.aspect.horizontal, 4u);
    EXPECT_EQ(d.aspect.vertical, 3u);
    EXPECT_DOUBLE_EQ(d.aperture.width, 720.0);
    EXPECT_DOUBLE_EQ(d.aperture.height, 1080.0);
    EXPECT_EQ(d.field_mode, 2);
    EXPECT_TRUE(d.has_decoder_config);
    EXPECT_EQ(d.decoder_config, (std::vector<uint8_t>{1, 2, 3}));
}

// Extensions too short for their fields read as absent; an empty 'esds' is
// still a decoder configuration, of no bytes.
TEST(VideoDescription, ShortExtensionsReadAsAbsent) {
    const std::vector<image_extension> extensions = {
        {qtcode::kExtensionPixelAspect, be32({1})},
        {qtcode::kExtensionCleanAperture, be32({1440, 2, 1080})},
        {qtcode::kExtensionFields, {1}},
        {qtcode::kExtensionElementaryStream, {}}};
    video_description d;
    ASSERT_TRUE(describe_video(image_description(16, 16, 24, qt_fourcc("jpeg")), extensions, d));
    EXPECT_FALSE(d.has_aspect);
    EXPECT_DOUBLE_EQ(d.aperture.width, 0.0);
    EXPECT_EQ(d.field_mode, 0);
    EXPECT_TRUE(d.has_decoder_config);
    EXPECT_TRUE(d.decoder_config.empty());
}

TEST(VideoDescription, CopyShorterThanTheFixedRecordIsRefused) {
    std::vector<uint8_t> copy = image_description(16, 16, 24, qt_fourcc("jpeg"));
    copy.pop_back();
    video_description d;
    EXPECT_FALSE(describe_video(copy, {}, d));
}

}  // namespace
