// A bounded big-endian reader over bytes that come from a movie file, and the
// walk over the atoms inside a range. A read past the end fails the reader and
// every later read fails too, so callers check once after a group of reads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quicktime/mac_types.h"

namespace qtrt {

class atom_reader {
public:
    atom_reader() = default;
    atom_reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool read_u8(uint8_t& value);
    bool read_u16(uint16_t& value);
    bool read_i16(int16_t& value);
    bool read_u24(uint32_t& value);
    bool read_u32(uint32_t& value);
    bool read_i32(int32_t& value);
    bool read_u64(uint64_t& value);
    bool read_i64(int64_t& value);
    bool skip(size_t count);
    // A reader over the next count bytes; this reader moves past them.
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

struct atom {
    OSType type = 0;
    atom_reader body;  // the atom's contents after its header
};

// Reads the next atom of the range: a 32-bit size (1: a 64-bit size follows;
// 0: the atom runs to the end of the range) and its type. False at the end of
// the range; `malformed` is set when an atom header is broken or an atom
// claims more bytes than the range holds. Fewer than 8 bytes left at the end
// (such as the 32-bit terminator of a user data list) end the walk cleanly.
bool next_atom(atom_reader& range, atom& out, bool& malformed);

// The version byte and 24-bit flags of a full atom.
bool read_version_flags(atom_reader& r, uint8_t& version, uint32_t& flags);

}  // namespace qtrt
