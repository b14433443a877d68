// The one decoder of atom headers: a 32-bit size and a type; a size of 1
// means a 64-bit size follows, a size of 0 that the atom runs to the end of
// its parent. It reads through a byte source, so that a file, a data handler
// and bytes in memory share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qt_format {

// Bytes read by position.
class byte_source {
public:
    virtual ~byte_source() = default;
    // count bytes at offset into out; false when they cannot all be read.
    [[nodiscard]] virtual bool read(uint64_t offset, size_t count, uint8_t* out) = 0;
};

class memory_source : public byte_source {
public:
    memory_source(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    [[nodiscard]] bool read(uint64_t offset, size_t count, uint8_t* out) override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

// What decoding an atom header found.
enum class atom_status {
    ok,
    end_of_parent,      // fewer than 8 bytes remain before the parent's end: no atom
    unreadable,         // the source could not give the header's first 8 bytes
    no_large_size,      // size 1, but the 64-bit size is not there before the parent's end
                        // or cannot be read
    size_below_header,  // the size is smaller than the header itself
    past_parent,        // the atom runs past the end of its parent
};

struct atom_header {
    uint64_t offset = 0;       // where the atom starts in the source
    uint32_t type = 0;         // known once the first 8 bytes were read
    uint32_t header_size = 8;  // 16 with a 64-bit size
    uint64_t size = 0;         // the whole atom; for size 0, up to the parent's end
    bool to_end = false;       // the file says 0: to the end of the parent

    uint64_t body() const { return offset + header_size; }
    uint64_t end() const { return offset + size; }
    uint64_t body_size() const { return size - header_size; }
};

// Decodes the header at offset of an atom that must end by parent_end. The
// header is filled as far as it was read: its type for every status past
// unreadable, its stated size for size_below_header and past_parent.
atom_status decode_atom_header(byte_source& source, uint64_t offset, uint64_t parent_end,
                               atom_header& out);

// Where and why an atom header is broken. The sentence that tells it is
// composed by whoever reports it.
struct atom_error {
    atom_status why = atom_status::ok;
    uint64_t offset = 0;            // where the broken header starts in the source
    std::vector<uint32_t> path;     // the enclosing atoms' types, outermost first,
                                    // then the broken atom's type when it was read
};

}  // namespace qt_format
