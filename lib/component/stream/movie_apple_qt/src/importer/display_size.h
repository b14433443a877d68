// The size at which a video track is shown, from its coded size, its pixel
// aspect and clean aperture extensions and the track's own dimensions.
#pragma once

#include <cstdint>

namespace ns_movie_apple_qt {

struct display_size_input {
    int32_t coded_width = 0;
    int32_t coded_height = 0;
    // A 'pasp' extension counts only with both spacings non-zero.
    bool has_pixel_aspect = false;
    uint32_t horizontal_spacing = 0;
    uint32_t vertical_spacing = 0;
    // 0.0 without a 'clap' extension.
    double clean_aperture_width = 0.0;
    double clean_aperture_height = 0.0;
    double track_width = 0.0;
    double track_height = 0.0;
};

struct display_size {
    int32_t width = 0;
    int32_t height = 0;
};

// With a pixel aspect: the clean aperture (or, without a positive one, the
// coded size) widened by the aspect, rounded to the nearest pixel. Without:
// the coded size when the track's width rounds to the coded width, else the
// track's dimensions truncated.
display_size compute_display_size(const display_size_input& in);

}  // namespace ns_movie_apple_qt
