#include "movie/sample_description_order.h"

#include <algorithm>
#include <cstring>

#include "format/atom_types.h"

namespace qtrt {

using namespace qt_format::atom_types;
namespace {

struct field {
    uint8_t offset;
    uint8_t width;
};

constexpr field kHeaderFields[] = {{0, 4}, {4, 4}, {8, 4}, {12, 2}, {14, 2}};

constexpr field kImageFields[] = {{16, 2}, {18, 2}, {20, 4}, {24, 4}, {28, 4}, {32, 2}, {34, 2},
                                  {36, 4}, {40, 4}, {44, 4}, {48, 2}, {82, 2}, {84, 2}};

constexpr field kSoundFields[] = {{16, 2}, {18, 2}, {20, 4}, {24, 2},
                                  {26, 2}, {28, 2}, {30, 2}, {32, 4}};
constexpr field kSoundV1Fields[] = {{36, 4}, {40, 4}, {44, 4}, {48, 4}};
constexpr field kSoundV2Fields[] = {{16, 2}, {18, 2}, {20, 4}, {24, 2}, {26, 2}, {28, 2},
                                    {30, 2}, {32, 4}, {36, 4}, {40, 8}, {48, 4}, {52, 4},
                                    {56, 4}, {60, 4}, {64, 4}, {68, 4}};

constexpr field kTimeCodeFields[] = {{16, 4}, {20, 4}, {24, 4}, {28, 4}};

bool machine_is_little_endian() {
    const uint16_t probe = 1;
    uint8_t first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

template <size_t N>
void swap_fields(std::vector<uint8_t>& bytes, const field (&fields)[N]) {
    for (const field& f : fields) {
        if (size_t(f.offset) + f.width > bytes.size()) continue;
        std::reverse(bytes.begin() + f.offset, bytes.begin() + f.offset + f.width);
    }
}

}  // namespace

void sample_description_to_native(OSType media_type, std::vector<uint8_t>& bytes) {
    if (!machine_is_little_endian()) return;
    swap_fields(bytes, kHeaderFields);
    if (media_type == VideoMediaType) {
        swap_fields(bytes, kImageFields);
    } else if (media_type == SoundMediaType) {
        const uint16_t version = bytes.size() >= 18 ? uint16_t(bytes[16] << 8 | bytes[17]) : 0;
        if (version == 2) {
            swap_fields(bytes, kSoundV2Fields);
        } else {
            swap_fields(bytes, kSoundFields);
            if (version == 1) swap_fields(bytes, kSoundV1Fields);
        }
    } else if (media_type == TimeCodeMediaType) {
        swap_fields(bytes, kTimeCodeFields);
    }
}

}  // namespace qtrt
