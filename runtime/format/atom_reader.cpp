#include "format/atom_reader.h"

namespace qt_format {

const uint8_t* atom_reader::take(size_t count) {
    if (m_failed || count > m_size - m_pos) {
        m_failed = true;
        return nullptr;
    }
    const uint8_t* p = m_data + m_pos;
    m_pos += count;
    return p;
}

bool atom_reader::read_u8(uint8_t& value) {
    const uint8_t* p = take(1);
    if (!p) return false;
    value = p[0];
    return true;
}

bool atom_reader::read_u16(uint16_t& value) {
    const uint8_t* p = take(2);
    if (!p) return false;
    value = uint16_t(p[0] << 8 | p[1]);
    return true;
}

bool atom_reader::read_i16(int16_t& value) {
    uint16_t v = 0;
    if (!read_u16(v)) return false;
    value = int16_t(v);
    return true;
}

bool atom_reader::read_u24(uint32_t& value) {
    const uint8_t* p = take(3);
    if (!p) return false;
    value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return true;
}

bool atom_reader::read_u32(uint32_t& value) {
    const uint8_t* p = take(4);
    if (!p) return false;
    value = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return true;
}

bool atom_reader::read_i32(int32_t& value) {
    uint32_t v = 0;
    if (!read_u32(v)) return false;
    value = int32_t(v);
    return true;
}

bool atom_reader::read_u64(uint64_t& value) {
    uint32_t hi = 0, lo = 0;
    if (!read_u32(hi) || !read_u32(lo)) return false;
    value = uint64_t(hi) << 32 | lo;
    return true;
}

bool atom_reader::read_i64(int64_t& value) {
    uint64_t v = 0;
    if (!read_u64(v)) return false;
    value = int64_t(v);
    return true;
}

bool atom_reader::skip(size_t count) { return take(count) != nullptr; }

atom_reader atom_reader::sub(size_t count) {
    const uint8_t* p = take(count);
    if (!p) {
        atom_reader failed;
        failed.m_failed = true;
        return failed;
    }
    return atom_reader(p, count);
}

bool read_version_flags(atom_reader& r, uint8_t& version, uint32_t& flags) {
    return r.read_u8(version) && r.read_u24(flags);
}

size_t time_field_size(uint8_t version) { return version == 1 ? 8 : 4; }

bool read_time_field(atom_reader& r, uint8_t version, uint64_t& value) {
    if (version == 1) return r.read_u64(value);
    uint32_t narrow = 0;
    if (!r.read_u32(narrow)) return false;
    value = narrow;
    return true;
}

bool read_time_field(atom_reader& r, uint8_t version, int64_t& value) {
    if (version == 1) return r.read_i64(value);
    int32_t narrow = 0;
    if (!r.read_i32(narrow)) return false;
    value = narrow;
    return true;
}

bool time_unknown(uint8_t version, uint64_t duration) {
    return duration == (version == 1 ? ~uint64_t(0) : uint64_t(0xFFFFFFFF));
}

}  // namespace qt_format
