#include "lib/kolmbase/bytestream.h"

#include <cstring>

#include "lib/kolmbase/ds_og.h"

namespace kolmbase {
namespace bytestream {

rd::rd(const void* data, size_t size)
    : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0) {}

bool rd::take(size_t count, const uint8_t*& at) {
    if (m_failed || count > m_size - m_pos) {
        m_failed = true;
        return false;
    }
    at = m_data + m_pos;
    m_pos += count;
    return true;
}

bool rd::u8(uint8_t& value) {
    const uint8_t* p;
    if (!take(1, p)) return false;
    value = p[0];
    return true;
}

bool rd::u16be(uint16_t& value) {
    const uint8_t* p;
    if (!take(2, p)) return false;
    value = uint16_t(p[0] << 8 | p[1]);
    return true;
}

bool rd::u16le(uint16_t& value) {
    const uint8_t* p;
    if (!take(2, p)) return false;
    value = uint16_t(p[1] << 8 | p[0]);
    return true;
}

bool rd::u24be(uint32_t& value) {
    const uint8_t* p;
    if (!take(3, p)) return false;
    value = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return true;
}

bool rd::u32be(uint32_t& value) {
    const uint8_t* p;
    if (!take(4, p)) return false;
    value = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return true;
}

bool rd::u32le(uint32_t& value) {
    const uint8_t* p;
    if (!take(4, p)) return false;
    value = uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    return true;
}

bool rd::u64be(uint64_t& value) {
    uint32_t high = 0, low = 0;
    if (m_failed || m_size - m_pos < 8) {
        m_failed = true;
        return false;
    }
    u32be(high);
    u32be(low);
    value = uint64_t(high) << 32 | low;
    return true;
}

bool rd::u64le(uint64_t& value) {
    uint32_t high = 0, low = 0;
    if (m_failed || m_size - m_pos < 8) {
        m_failed = true;
        return false;
    }
    u32le(low);
    u32le(high);
    value = uint64_t(high) << 32 | low;
    return true;
}

bool rd::bytes(void* out, size_t count) {
    const uint8_t* p;
    if (!take(count, p)) return false;
    if (count) std::memcpy(out, p, count);
    return true;
}

bool rd::skip(size_t count) {
    const uint8_t* p;
    return take(count, p);
}

rd rd::sub(size_t count) {
    const uint8_t* p;
    if (!take(count, p)) {
        rd failed;
        failed.m_failed = true;
        return failed;
    }
    return rd(p, count);
}

void wr::u8(uint8_t value) { m_data.push_back(value); }

void wr::u16be(uint16_t value) {
    u8(uint8_t(value >> 8));
    u8(uint8_t(value));
}

void wr::u16le(uint16_t value) {
    u8(uint8_t(value));
    u8(uint8_t(value >> 8));
}

void wr::u32be(uint32_t value) {
    u16be(uint16_t(value >> 16));
    u16be(uint16_t(value));
}

void wr::u32le(uint32_t value) {
    u16le(uint16_t(value));
    u16le(uint16_t(value >> 16));
}

void wr::u64be(uint64_t value) {
    u32be(uint32_t(value >> 32));
    u32be(uint32_t(value));
}

void wr::u64le(uint64_t value) {
    u32le(uint32_t(value));
    u32le(uint32_t(value >> 32));
}

void wr::bytes(const void* data, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (count) m_data.insert(m_data.end(), p, p + count);
}

void wr::patch_u32be(size_t offset, uint32_t value) {
    ds_og::abort_if(offset > m_data.size() || m_data.size() - offset < 4,
                    "patch_u32be inside the buffer", __FILE__, __LINE__);
    m_data[offset] = uint8_t(value >> 24);
    m_data[offset + 1] = uint8_t(value >> 16);
    m_data[offset + 2] = uint8_t(value >> 8);
    m_data[offset + 3] = uint8_t(value);
}

}  // namespace bytestream
}  // namespace kolmbase
