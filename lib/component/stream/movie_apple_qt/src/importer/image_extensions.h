// The contents of the image description extensions the video reader uses:
// 'pasp' (pixel aspect), 'clap' (clean aperture) and 'fiel' (field
// arrangement). Each is read from the extension's bytes after its atom
// header, all values big-endian; a payload too short for its fields reads as
// absent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ns_movie_apple_qt {

struct pixel_aspect {
    // Only the low 16 bits of each stored spacing.
    uint32_t horizontal = 0;
    uint32_t vertical = 0;
};

struct clean_aperture {
    double width = 0.0;
    double height = 0.0;
};

bool read_pixel_aspect(const uint8_t* data, size_t size, pixel_aspect& aspect);

// Width and height as numerator / denominator, all four read unsigned; a zero
// denominator gives 0.0 for that side.
bool read_clean_aperture(const uint8_t* data, size_t size, clean_aperture& aperture);

// Field mode from 'fiel': count 1 gives 3 (progressive); count 2 gives 0 for
// ordering 0, 1 for ordering 1 or 9, 2 for ordering 6 or 14; anything else 0.
bool read_field_mode(const uint8_t* data, size_t size, int32_t& mode);

}  // namespace ns_movie_apple_qt
