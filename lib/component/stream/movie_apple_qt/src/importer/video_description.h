// What the first image description of a video track says about the stream:
// its coded size, depth and format from the description's fixed fields, and
// what its extensions add (pixel aspect, clean aperture, field mode, the
// decoder configuration).
#pragma once

#include <cstdint>
#include <vector>

#include "importer/image_extensions.h"

namespace ns_movie_apple_qt {

struct video_description {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    uint32_t format = 0;
    pixel_aspect aspect;
    bool has_aspect = false;
    clean_aperture aperture;
    int32_t field_mode = 0;
    // The 'esds' extension's bytes, as the decoder takes them.
    bool has_decoder_config = false;
    std::vector<uint8_t> decoder_config;
};

// One extension of an image description, as QuickTime hands it: its type and
// its bytes.
struct image_extension {
    long type = 0;
    std::vector<uint8_t> bytes;
};

// The description from a copy of the image description (fixed fields in the
// machine's order) and the extensions found for it, applied in their order;
// false when the copy is shorter than the fixed record.
bool describe_video(const std::vector<uint8_t>& copy,
                    const std::vector<image_extension>& extensions, video_description& out);

}  // namespace ns_movie_apple_qt
