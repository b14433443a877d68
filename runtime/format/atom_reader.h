// A bounded big-endian reader over bytes that come from a movie file. A read
// past the end fails the reader and every later read fails too; every read
// answers whether it gave a value, and leaves the value untouched when not.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qt_format {

class atom_reader {
public:
    atom_reader() = default;
    atom_reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    [[nodiscard]] bool read_u8(uint8_t& value);
    [[nodiscard]] bool read_u16(uint16_t& value);
    [[nodiscard]] bool read_i16(int16_t& value);
    [[nodiscard]] bool read_u24(uint32_t& value);
    [[nodiscard]] bool read_u32(uint32_t& value);
    [[nodiscard]] bool read_i32(int32_t& value);
    [[nodiscard]] bool read_u64(uint64_t& value);
    [[nodiscard]] bool read_i64(int64_t& value);
    [[nodiscard]] bool skip(size_t count);
    // A reader over the next count bytes; this reader moves past them. A
    // failed reader (and this one failed) when fewer remain.
    atom_reader sub(size_t count);

    bool failed() const { return m_failed; }
    size_t remaining() const { return m_failed ? 0 : m_size - m_pos; }
    size_t position() const { return m_pos; }
    // The bytes from the current position on (null when failed).
    const uint8_t* current() const { return m_failed ? nullptr : m_data + m_pos; }

private:
    const uint8_t* take(size_t count);

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_failed = false;
};

// The version byte and 24-bit flags of a full atom.
[[nodiscard]] bool read_version_flags(atom_reader& r, uint8_t& version, uint32_t& flags);

// The bytes of each time field of a full atom: 4 in version 0, 8 in version 1.
size_t time_field_size(uint8_t version);
// A time field of a full atom: unsigned (durations, dates), or signed (an
// edit's media time, whose -1 stays -1 in both versions).
[[nodiscard]] bool read_time_field(atom_reader& r, uint8_t version, uint64_t& value);
[[nodiscard]] bool read_time_field(atom_reader& r, uint8_t version, int64_t& value);
// A duration of all ones: the writer did not know it (a movie in fragments).
bool time_unknown(uint8_t version, uint64_t duration);

}  // namespace qt_format
