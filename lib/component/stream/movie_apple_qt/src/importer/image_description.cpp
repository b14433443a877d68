#include "importer/image_description.h"

#include <cstring>

#include "lib/kolmbase/bytestream.h"

namespace ns_movie_apple_qt {
namespace image_description {

namespace {

constexpr size_t kCodecTypeOffset = 4;
constexpr size_t kWidthOffset = 32;
constexpr size_t kHeightOffset = 34;
constexpr size_t kAtomHeaderSize = 8;

template <class T>
T native_field(const uint8_t* data, size_t size, size_t offset) {
    T value = 0;
    if (data && size >= offset + sizeof(T)) std::memcpy(&value, data + offset, sizeof(T));
    return value;
}

}  // namespace

uint32_t codec_type(const uint8_t* data, size_t size) {
    return native_field<uint32_t>(data, size, kCodecTypeOffset);
}

int16_t width(const uint8_t* data, size_t size) {
    return native_field<int16_t>(data, size, kWidthOffset);
}

int16_t height(const uint8_t* data, size_t size) {
    return native_field<int16_t>(data, size, kHeightOffset);
}

bool find_extension(const uint8_t* data, size_t size, uint32_t type, const uint8_t*& payload,
                    size_t& payload_size) {
    if (!data || size < min_searched_size) return false;
    kolmbase::bytestream::rd atoms(data + record_size, size - record_size);
    while (atoms.remaining() >= kAtomHeaderSize) {
        const uint8_t* atom = atoms.current();
        size_t left = atoms.remaining();
        uint32_t atom_size = 0;
        uint32_t atom_type = 0;
        atoms.u32be(atom_size);
        atoms.u32be(atom_type);
        if (atom_size < kAtomHeaderSize || atom_size > left) return false;
        if (atom_type == type) {
            payload = atom + kAtomHeaderSize;
            payload_size = atom_size - kAtomHeaderSize;
            return true;
        }
        atoms.skip(atom_size - kAtomHeaderSize);
    }
    return false;
}

}  // namespace image_description
}  // namespace ns_movie_apple_qt
