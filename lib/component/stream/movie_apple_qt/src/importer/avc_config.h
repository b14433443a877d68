// The AVC decoder configuration record ('avcC', ISO/IEC 14496-15) found among
// an image description's extensions, read as far as it is whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ns_movie_apple_qt {

struct avc_config {
    // The first five bytes were there: profile, level and NAL length size.
    bool has_header = false;
    uint8_t profile = 0;
    uint8_t level = 0;
    // (byte 4 AND 3) + 1.
    uint8_t nal_length_size = 0;
    // Every set is whole; false when a length pointed past the record.
    bool sps_complete = false;
    bool pps_complete = false;
    std::vector<std::vector<uint8_t>> sequence_parameter_sets;
    std::vector<std::vector<uint8_t>> picture_parameter_sets;
};

// Searches the description (as the video reader holds it: fixed record in the
// machine's order, extensions big-endian) for 'avcC' and reads it. false when
// there is none, or when the search meets a broken atom first.
bool read_avc_config(const uint8_t* description, size_t size, avc_config& config);

// The sets of the list, each preceded by 00 00 00 01, end to end.
std::vector<uint8_t> annex_b_parameter_sets(const std::vector<std::vector<uint8_t>>& sets);

}  // namespace ns_movie_apple_qt
