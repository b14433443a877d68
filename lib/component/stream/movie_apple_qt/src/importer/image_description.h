// Reading an image description as the video reader holds it: the fixed
// 86-byte record in the machine's order (QuickTime hands descriptions out
// that way), followed by extension atoms stored big-endian, each a 32-bit
// size counting the whole atom and a four-character type.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ns_movie_apple_qt {
namespace image_description {

// Size of the fixed record; extensions start here.
constexpr size_t record_size = 86;
// Descriptions shorter than this hold no extension worth searching.
constexpr size_t min_searched_size = 94;

// The codec type (offset 4), width (offset 32) and height (offset 34); 0 when
// the description is too short to hold the field.
uint32_t codec_type(const uint8_t* data, size_t size);
int16_t width(const uint8_t* data, size_t size);
int16_t height(const uint8_t* data, size_t size);

// The first extension atom of the given type: its bytes after the 8-byte
// header. The search stops at an atom whose size is below 8 or larger than
// the bytes left; false when no atom of that type comes before.
bool find_extension(const uint8_t* data, size_t size, uint32_t type, const uint8_t*& payload,
                    size_t& payload_size);

}  // namespace image_description
}  // namespace ns_movie_apple_qt
