#include "importer/avc_config.h"

#include "importer/image_description.h"
#include "lib/kolmbase/bytestream.h"
#include "quicktime/mac_types.h"

namespace ns_movie_apple_qt {

namespace {

constexpr uint32_t kAvcC = qt_fourcc("avcC");

// Reads count sets, each a 16-bit big-endian length and its bytes; false
// when one of them is cut off.
bool read_sets(kolmbase::bytestream::rd& record, unsigned count,
               std::vector<std::vector<uint8_t>>& sets) {
    for (unsigned i = 0; i < count; ++i) {
        uint16_t length = 0;
        if (!record.u16be(length) || record.remaining() < length) return false;
        std::vector<uint8_t> set(length);
        if (length > 0 && !record.bytes(set.data(), length)) return false;
        sets.push_back(std::move(set));
    }
    return true;
}

}  // namespace

bool read_avc_config(const uint8_t* description, size_t size, avc_config& config) {
    config = avc_config();
    const uint8_t* payload = nullptr;
    size_t payload_size = 0;
    if (!image_description::find_extension(description, size, kAvcC, payload, payload_size))
        return false;

    kolmbase::bytestream::rd record(payload, payload_size);
    uint8_t version = 0, profile = 0, compatibility = 0, level = 0, length_size = 0;
    record.u8(version);
    record.u8(profile);
    record.u8(compatibility);
    record.u8(level);
    record.u8(length_size);
    if (record.failed()) return true;
    config.has_header = true;
    config.profile = profile;
    config.level = level;
    config.nal_length_size = uint8_t((length_size & 3) + 1);

    uint8_t sps_count = 0;
    if (!record.u8(sps_count)) return true;
    if (!read_sets(record, sps_count & 0x1F, config.sequence_parameter_sets)) return true;
    config.sps_complete = true;

    uint8_t pps_count = 0;
    if (!record.u8(pps_count)) return true;
    if (!read_sets(record, pps_count, config.picture_parameter_sets)) return true;
    config.pps_complete = true;
    return true;
}

std::vector<uint8_t> annex_b_parameter_sets(const std::vector<std::vector<uint8_t>>& sets) {
    static const uint8_t start_code[4] = {0, 0, 0, 1};
    std::vector<uint8_t> out;
    for (const std::vector<uint8_t>& set : sets) {
        out.insert(out.end(), start_code, start_code + 4);
        out.insert(out.end(), set.begin(), set.end());
    }
    return out;
}

}  // namespace ns_movie_apple_qt
