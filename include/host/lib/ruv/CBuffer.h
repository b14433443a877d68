// Host byte buffers: CBuffer owns a block of bytes, RBuffer is its counted
// form, which descriptions take as parameters.
#pragma once

#include <cstddef>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/RuvTypes.h"

namespace Ruv {

class RUV_API CBuffer {
public:
    CBuffer();
    // flags kConstructCopy copies length bytes from data; kConstructTakeOver
    // takes data over (freed with free()). A null data with a non-zero length
    // gives a zero-filled buffer of that length.
    CBuffer(size_t length, const void* data, ConstructionFlags flags);
    CBuffer(const CBuffer& other);
    CBuffer& operator=(const CBuffer& other);
    ~CBuffer();

    size_t getLength() const { return m_length; }
    const unsigned char* getData() const { return m_data; }
    unsigned char* getData() { return m_data; }

private:
    unsigned char* m_data;
    size_t m_length;
};

class RUV_API RBuffer : public kolmbase::object_refcount, public CBuffer {
public:
    RBuffer(size_t length, const void* data, ConstructionFlags flags)
        : CBuffer(length, data, flags) {}
};

}  // namespace Ruv
