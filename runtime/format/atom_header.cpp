#include "format/atom_header.h"

#include <cstring>

#include "format/atom_reader.h"

namespace qt_format {

namespace {
constexpr uint32_t kLargeSize = 1;
constexpr uint32_t kToTheEnd = 0;
constexpr uint64_t kHeader = 8;
constexpr uint64_t kLargeHeader = 16;
}  // namespace

bool memory_source::read(uint64_t offset, size_t count, uint8_t* out) {
    if (offset > m_size || count > m_size - offset) return false;
    std::memcpy(out, m_data + size_t(offset), count);
    return true;
}

atom_status decode_atom_header(byte_source& source, uint64_t offset, uint64_t parent_end,
                               atom_header& out) {
    out = atom_header();
    out.offset = offset;
    if (offset > parent_end || parent_end - offset < kHeader) return atom_status::end_of_parent;
    const uint64_t room = parent_end - offset;
    uint8_t bytes[kLargeHeader];
    if (!source.read(offset, kHeader, bytes)) return atom_status::unreadable;
    atom_reader r(bytes, kHeader);
    uint32_t size32 = 0;
    if (!r.read_u32(size32) || !r.read_u32(out.type)) return atom_status::unreadable;
    out.size = size32;
    if (size32 == kLargeSize) {
        atom_reader large(bytes + kHeader, kLargeHeader - kHeader);
        if (room < kLargeHeader ||
            !source.read(offset + kHeader, kLargeHeader - kHeader, bytes + kHeader) ||
            !large.read_u64(out.size))
            return atom_status::no_large_size;
        out.header_size = kLargeHeader;
    } else if (size32 == kToTheEnd) {
        out.size = room;
        out.to_end = true;
    }
    if (out.size < out.header_size) return atom_status::size_below_header;
    if (out.size > room) return atom_status::past_parent;
    return atom_status::ok;
}

}  // namespace qt_format
