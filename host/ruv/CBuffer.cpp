#include "lib/ruv/CBuffer.h"

#include <cstdlib>
#include <cstring>

namespace Ruv {
namespace {

// A malloc'd copy of length bytes of data (zero-filled when data is null);
// null when length is 0 or memory is short.
unsigned char* copy_of(size_t length, const void* data) {
    if (length == 0) return nullptr;
    if (!data) return static_cast<unsigned char*>(std::calloc(length, 1));
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(length));
    if (copy) std::memcpy(copy, data, length);
    return copy;
}

}  // namespace

CBuffer::CBuffer() : m_data(nullptr), m_length(0) {}

CBuffer::CBuffer(size_t length, const void* data, ConstructionFlags flags)
    : m_data(nullptr), m_length(0) {
    if (flags == kConstructTakeOver && data)
        m_data = static_cast<unsigned char*>(const_cast<void*>(data));
    else
        m_data = copy_of(length, data);
    if (m_data) m_length = length;
}

CBuffer::CBuffer(const CBuffer& other)
    : m_data(copy_of(other.m_length, other.m_data)), m_length(m_data ? other.m_length : 0) {}

CBuffer& CBuffer::operator=(const CBuffer& other) {
    if (this == &other) return *this;
    unsigned char* data = copy_of(other.m_length, other.m_data);
    std::free(m_data);
    m_data = data;
    m_length = data ? other.m_length : 0;
    return *this;
}

CBuffer::~CBuffer() { std::free(m_data); }

}  // namespace Ruv
