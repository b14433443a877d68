// Walks over the child atoms of a container: through a byte source (a file,
// a data handler) header by header, or over the container's bytes in memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "format/atom_header.h"
#include "format/atom_reader.h"

namespace qt_format {

// The children of the range [begin, end) of a source, in order.
class child_atoms {
public:
    child_atoms(byte_source& source, uint64_t begin, uint64_t end,
                std::vector<uint32_t> parents = {})
        : m_source(source), m_at(begin), m_end(end), m_parents(std::move(parents)) {}

    // The next child's header; false at the end of the range (fewer than 8
    // bytes left) and on a broken header, which error() then describes.
    bool next(atom_header& out);
    // Why the walk stopped: end_of_parent, or what is wrong with the header
    // at error().offset.
    atom_status status() const { return m_status; }
    bool failed() const {
        return m_status != atom_status::ok && m_status != atom_status::end_of_parent;
    }
    atom_error error() const;

private:
    byte_source& m_source;
    uint64_t m_at;
    uint64_t m_end;
    std::vector<uint32_t> m_parents;
    atom_status m_status = atom_status::ok;
    uint32_t m_type = 0;  // the last header's type
};

struct atom {
    uint32_t type = 0;
    atom_reader body;  // the atom's contents after its header
};

// Reads the next atom of a range in memory. False at the end of the range;
// `malformed` is set when an atom header is broken or an atom claims more
// bytes than the range holds. Fewer than 8 bytes left at the end (such as
// the 32-bit terminator of a user data list) end the walk cleanly.
bool next_atom(atom_reader& range, atom& out, bool& malformed);

// The body of the first child atom of the range of that type; false without
// one (a broken header ends the search).
bool find_child(atom_reader range, uint32_t type, atom_reader& body);

}  // namespace qt_format
