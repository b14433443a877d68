#include "audio/pcm_decoder.h"

#include <cstring>

#include "audio/g711.h"

namespace qtrt::audio {
namespace {

// The container's bits as an unsigned value, most significant byte first
// whatever the stored order.
uint32_t load_container(const uint8_t* p, uint32_t bytes, bool little_endian) {
    uint32_t v = 0;
    if (little_endian)
        for (uint32_t i = bytes; i-- > 0;) v = v << 8 | p[i];
    else
        for (uint32_t i = 0; i < bytes; ++i) v = v << 8 | p[i];
    return v;
}

uint64_t load_u64(const uint8_t* p, bool little_endian) {
    uint64_t v = 0;
    if (little_endian)
        for (int i = 8; i-- > 0;) v = v << 8 | p[i];
    else
        for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
}

// 1 / 2^(bits-1) as a float: exact for every bit count used here.
float full_scale_reciprocal(uint32_t bits) { return 1.0f / float(uint64_t(1) << (bits - 1)); }

// 16-bit samples scaled by 16 bits, the commonest stored sound, in one pass
// without the general loop's per-byte container loads; the same values.
void decode_16(bool little_endian, const uint8_t* src, size_t count, float* dst) {
    constexpr float kScale = 1.0f / 32768.0f;
    if (little_endian) {
        for (size_t i = 0; i < count; ++i)
            dst[i] = float(int16_t(uint16_t(src[2 * i] | src[2 * i + 1] << 8))) * kScale;
    } else {
        for (size_t i = 0; i < count; ++i)
            dst[i] = float(int16_t(uint16_t(src[2 * i] << 8 | src[2 * i + 1]))) * kScale;
    }
}

void decode_integers(const sound_format& f, const uint8_t* src, size_t count, float* dst) {
    const uint32_t bytes = f.bytes_per_sample;
    const uint32_t container_bits = bytes * 8;
    // Samples in the low bits of a wider container scale by their own width.
    const uint32_t scale_bits = f.aligned_high ? container_bits : f.bits_per_channel;
    const float scale = full_scale_reciprocal(scale_bits);
    const uint32_t sign_bit = uint32_t(1) << (scale_bits - 1);
    const uint32_t mask = scale_bits == 32 ? 0xFFFFFFFFu : (sign_bit << 1) - 1;
    const bool offset = f.coding == sample_coding::offset_binary;
    if (bytes == 2 && scale_bits == 16 && !offset) return decode_16(f.little_endian, src, count, dst);
    for (size_t i = 0; i < count; ++i, src += bytes) {
        uint32_t v = load_container(src, bytes, f.little_endian) & mask;
        if (offset) v ^= sign_bit;
        // Sign-extend from scale_bits.
        const int32_t s = int32_t((v ^ sign_bit) - sign_bit);
        dst[i] = float(s) * scale;
    }
}

void decode_floats(const sound_format& f, const uint8_t* src, size_t count, float* dst) {
    if (f.bytes_per_sample == 4) {
        for (size_t i = 0; i < count; ++i, src += 4) {
            const uint32_t bits = load_container(src, 4, f.little_endian);
            std::memcpy(&dst[i], &bits, 4);
        }
        return;
    }
    for (size_t i = 0; i < count; ++i, src += 8) {
        const uint64_t bits = load_u64(src, f.little_endian);
        double d;
        std::memcpy(&d, &bits, 8);
        dst[i] = float(d);
    }
}

}  // namespace

void decode_pcm(const sound_format& f, const uint8_t* src, size_t frames, float* dst) {
    const size_t count = frames * f.channels;
    switch (f.coding) {
    case sample_coding::signed_int:
    case sample_coding::offset_binary:
        decode_integers(f, src, count, dst);
        break;
    case sample_coding::floating:
        decode_floats(f, src, count, dst);
        break;
    case sample_coding::mu_law:
        for (size_t i = 0; i < count; ++i) dst[i] = expand_mu_law(src[i]) * (1.0f / 32768.0f);
        break;
    case sample_coding::a_law:
        for (size_t i = 0; i < count; ++i) dst[i] = expand_a_law(src[i]) * (1.0f / 32768.0f);
        break;
    }
}

}  // namespace qtrt::audio
