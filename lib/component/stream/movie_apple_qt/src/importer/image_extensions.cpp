#include "importer/image_extensions.h"

#include "lib/kolmbase/bytestream.h"

namespace ns_movie_apple_qt {

bool read_pixel_aspect(const uint8_t* data, size_t size, pixel_aspect& aspect) {
    kolmbase::bytestream::rd r(data, size);
    uint32_t horizontal = 0, vertical = 0;
    if (!r.u32be(horizontal) || !r.u32be(vertical)) return false;
    aspect.horizontal = horizontal & 0xFFFF;
    aspect.vertical = vertical & 0xFFFF;
    return true;
}

bool read_clean_aperture(const uint8_t* data, size_t size, clean_aperture& aperture) {
    kolmbase::bytestream::rd r(data, size);
    uint32_t width_n = 0, width_d = 0, height_n = 0, height_d = 0;
    if (!r.u32be(width_n) || !r.u32be(width_d) || !r.u32be(height_n) || !r.u32be(height_d))
        return false;
    aperture.width = width_d ? double(width_n) / double(width_d) : 0.0;
    aperture.height = height_d ? double(height_n) / double(height_d) : 0.0;
    return true;
}

bool read_field_mode(const uint8_t* data, size_t size, int32_t& mode) {
    kolmbase::bytestream::rd r(data, size);
    uint8_t count = 0, ordering = 0;
    if (!r.u8(count) || !r.u8(ordering)) return false;
    mode = 0;
    if (count == 1) {
        mode = 3;
    } else if (count == 2) {
        if (ordering == 1 || ordering == 9) mode = 1;
        if (ordering == 6 || ordering == 14) mode = 2;
    }
    return true;
}

}  // namespace ns_movie_apple_qt
