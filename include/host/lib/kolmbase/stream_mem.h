// A seekable byte stream held in memory, for programs and tests that need a
// stream without a file. Reads past the end give fewer bytes; writes past the
// end grow the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/host_export.h"

namespace kolmbase {
namespace stream {

class KOLMBASE_API mem {
public:
    mem() = default;
    mem(const void* data, size_t size);
    explicit mem(std::vector<uint8_t> data);

    // Bytes read (0 at the end).
    int64_t read(void* out, int64_t length);
    int64_t write(const void* data, int64_t length);
    // origin 0 from the start, 1 from the current position, 2 from the end;
    // answers the new position, or -1 (position unchanged) for a negative one.
    int64_t seek(int64_t offset, int origin);
    int64_t position() const { return m_pos; }
    int64_t size() const { return int64_t(m_data.size()); }
    const std::vector<uint8_t>& data() const { return m_data; }

private:
    std::vector<uint8_t> m_data;
    int64_t m_pos = 0;
};

}  // namespace stream
}  // namespace kolmbase
