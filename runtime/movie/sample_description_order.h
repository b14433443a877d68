// Sample descriptions as QuickTime hands them out: the fixed fields of the
// generic header, of image, sound (versions 0, 1 and 2) and time code
// descriptions in the machine's byte order; extensions stay as stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "quicktime/mac_types.h"

namespace qtrt {

// Turns a description as stored (big-endian) into the machine's order.
void sample_description_to_native(OSType media_type, std::vector<uint8_t>& bytes);

// The size of the fixed part of a description in the machine's order (the
// idSize field of an image description): extensions start there.
constexpr size_t kImageDescriptionSize = 86;

}  // namespace qtrt
