// Stored sound samples to 32-bit float. Integer samples convert exactly: a
// sample s of an n-bit container becomes s / 2^(n-1) (16-bit s / 32768,
// 24-bit s / 8388608, 32-bit s / 2147483648); 8-bit offset binary u becomes
// (u - 128) / 128; G.711 samples expand to 16 bits first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/sound_description.h"

namespace qtrt::audio {

// Decodes frames whole frames from src (frames * format.bytes_per_frame bytes)
// into frames * format.channels interleaved floats. The format must be
// decodable.
void decode_pcm(const sound_format& format, const uint8_t* src, size_t frames, float* dst);

}  // namespace qtrt::audio
