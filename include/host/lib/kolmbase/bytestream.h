// Byte-order aware reading and writing of binary data.
//
// rd reads from a fixed byte range: every read checks the bytes that remain,
// and a read past the end leaves the reader failed, so a parser checks once
// after a run of reads. wr appends to a growing buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lib/host_export.h"

namespace kolmbase {
namespace bytestream {

class KOLMBASE_API rd {
public:
    rd() = default;
    rd(const void* data, size_t size);

    bool u8(uint8_t& value);
    bool u16be(uint16_t& value);
    bool u16le(uint16_t& value);
    bool u24be(uint32_t& value);
    bool u32be(uint32_t& value);
    bool u32le(uint32_t& value);
    bool u64be(uint64_t& value);
    bool u64le(uint64_t& value);
    bool bytes(void* out, size_t count);
    bool skip(size_t count);
    // A reader over the next count bytes; this reader moves past them. Past
    // the end both readers fail.
    rd sub(size_t count);

    const uint8_t* current() const { return m_data + m_pos; }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_failed ? 0 : m_size - m_pos; }
    size_t size() const { return m_size; }
    bool failed() const { return m_failed; }

private:
    bool take(size_t count, const uint8_t*& at);

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_failed = false;
};

class KOLMBASE_API wr {
public:
    void u8(uint8_t value);
    void u16be(uint16_t value);
    void u16le(uint16_t value);
    void u32be(uint32_t value);
    void u32le(uint32_t value);
    void u64be(uint64_t value);
    void u64le(uint64_t value);
    void bytes(const void* data, size_t count);
    // Overwrites 4 bytes at offset (which must lie inside the buffer).
    void patch_u32be(size_t offset, uint32_t value);

    const std::vector<uint8_t>& data() const { return m_data; }
    std::vector<uint8_t>& data() { return m_data; }
    size_t size() const { return m_data.size(); }

private:
    std::vector<uint8_t> m_data;
};

}  // namespace bytestream
}  // namespace kolmbase
