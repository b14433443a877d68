#include "format/atom_walk.h"

namespace qt_format {

bool child_atoms::next(atom_header& out) {
    if (m_status != atom_status::ok) return false;
    m_status = decode_atom_header(m_source, m_at, m_end, out);
    m_type = out.type;
    if (m_status != atom_status::ok) return false;
    m_at = out.end();
    return true;
}

atom_error child_atoms::error() const {
    atom_error e;
    e.why = m_status;
    e.offset = m_at;
    e.path = m_parents;
    if (failed() && m_status != atom_status::unreadable) e.path.push_back(m_type);
    return e;
}

bool next_atom(atom_reader& range, atom& out, bool& malformed) {
    malformed = false;
    if (range.failed()) return false;
    const size_t size = range.remaining();
    memory_source source(range.current(), size);
    atom_header h;
    const atom_status status = decode_atom_header(source, 0, size, h);
    if (status == atom_status::end_of_parent) return false;
    malformed = status != atom_status::ok;
    // A broken header is consumed as far as it was read; a 64-bit size cut
    // short fails the range.
    if (!range.skip(status == atom_status::no_large_size ? size + 1 : h.header_size))
        return false;
    if (malformed) return false;
    out.type = h.type;
    out.body = range.sub(size_t(h.body_size()));
    return true;
}

bool find_child(atom_reader range, uint32_t type, atom_reader& body) {
    atom a;
    bool malformed = false;
    while (next_atom(range, a, malformed)) {
        if (a.type != type) continue;
        body = a.body;
        return true;
    }
    return false;
}

}  // namespace qt_format
