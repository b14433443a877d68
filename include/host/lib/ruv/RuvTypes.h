// Small value types of the host's interfaces.
#pragma once

#include <cmath>
#include <cstdint>

namespace Ruv {

// How an object that receives a byte buffer treats it.
typedef unsigned ConstructionFlags;
enum : ConstructionFlags {
    // The object takes the memory over and frees it with free(): it must come
    // from malloc, calloc or realloc.
    kConstructTakeOver = 0,
    // The object copies the bytes; the caller keeps its memory.
    kConstructCopy = 1,
};

// Signed 32.32 fixed-point number.
class Fixed64 {
public:
    Fixed64() : m_value(0) {}
    Fixed64(double value) : m_value(int64_t(std::llround(value * 4294967296.0))) {}
    static Fixed64 fromRaw(int64_t raw) {
        Fixed64 f;
        f.m_value = raw;
        return f;
    }
    int64_t raw() const { return m_value; }
    double toDouble() const { return double(m_value) / 4294967296.0; }

private:
    int64_t m_value;
};

}  // namespace Ruv
