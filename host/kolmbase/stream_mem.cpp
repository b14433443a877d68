#include "lib/kolmbase/stream_mem.h"

#include <cstring>
#include <utility>

namespace kolmbase {
namespace stream {

mem::mem(const void* data, size_t size)
    : m_data(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + (data ? size : 0)) {}

mem::mem(std::vector<uint8_t> data) : m_data(std::move(data)) {}

int64_t mem::read(void* out, int64_t length) {
    if (!out || length <= 0 || m_pos >= size()) return 0;
    const int64_t count = length < size() - m_pos ? length : size() - m_pos;
    std::memcpy(out, m_data.data() + m_pos, size_t(count));
    m_pos += count;
    return count;
}

int64_t mem::write(const void* data, int64_t length) {
    if (!data || length <= 0) return 0;
    const uint64_t end = uint64_t(m_pos) + uint64_t(length);
    if (end > m_data.max_size() || end > uint64_t(SIZE_MAX)) return -1;
    if (end > m_data.size()) m_data.resize(size_t(end));
    std::memcpy(m_data.data() + m_pos, data, size_t(length));
    m_pos = int64_t(end);
    return length;
}

int64_t mem::seek(int64_t offset, int origin) {
    int64_t base = 0;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_pos; break;
    case 2: base = size(); break;
    default: return -1;
    }
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) return -1;
    m_pos = base + offset;
    return m_pos;
}

}  // namespace stream
}  // namespace kolmbase
