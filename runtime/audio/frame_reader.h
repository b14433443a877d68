// A sound track's media as a sequence of decoded sample frames at its source
// rate, whatever its stored format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "quicktime/mac_types.h"

namespace qtrt::audio {

// Reads size bytes at offset of the media's data reference data_ref_index
// (from 1) into bytes, sized only once the bytes are found in the data.
using media_reader = std::function<OSErr(uint32_t data_ref_index, uint64_t offset, uint64_t size,
                                         std::vector<uint8_t>& bytes)>;

class frame_reader {
public:
    virtual ~frame_reader() = default;
    // Writes count frames from frame first on into dst (every frame written;
    // frames outside the media are silence). An error when the media's bytes
    // cannot be read.
    virtual OSErr read(int64_t first, size_t count, float* dst) = 0;
};

}  // namespace qtrt::audio
