// A data handler seen as a byte source, so that the atom layer reads the
// movie's headers through the same path as its samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "format/atom_header.h"
#include "movie/data_handler.h"

namespace qtrt {

class data_handler_source : public qt_format::byte_source {
public:
    explicit data_handler_source(data_handler& data) : m_data(data) {}
    [[nodiscard]] bool read(uint64_t offset, size_t count, uint8_t* out) override {
        return count <= std::numeric_limits<uint32_t>::max() &&
               m_data.read(offset, uint32_t(count), out) == noErr;
    }

private:
    data_handler& m_data;
};

}  // namespace qtrt
