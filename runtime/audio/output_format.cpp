#include "audio/output_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "audio/audio_constants.h"

namespace qtrt::audio {
namespace {

void store(uint8_t* p, uint64_t bits, uint32_t bytes, bool big_endian) {
    if (big_endian)
        for (uint32_t i = bytes; i-- > 0; bits >>= 8) p[i] = uint8_t(bits);
    else
        for (uint32_t i = 0; i < bytes; ++i, bits >>= 8) p[i] = uint8_t(bits);
}

uint64_t encode(const output_format& f, float x) {
    if (f.is_float) {
        if (f.bytes_per_sample == 4) {
            uint32_t bits;
            std::memcpy(&bits, &x, 4);
            return bits;
        }
        const double d = x;
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        return bits;
    }
    const uint32_t sample_bits = f.bytes_per_sample * 8;
    const double full_scale = double(uint64_t(1) << (sample_bits - 1));
    double v = std::nearbyint(double(x) * full_scale);
    if (!(v >= -full_scale)) v = -full_scale;  // also catches NaN
    if (v > full_scale - 1) v = full_scale - 1;
    return uint64_t(int64_t(v));
}

}  // namespace

AudioBuffer& buffer_at(AudioBufferList& list, uint32_t index) { return (&list.mBuffers[0])[index]; }

const AudioBuffer& buffer_at(const AudioBufferList& list, uint32_t index) {
    return (&list.mBuffers[0])[index];
}

bool output_format_from_asbd(const AudioStreamBasicDescription& a, output_format& out) {
    if (a.mFormatID != kAudioFormatLinearPCM || a.mChannelsPerFrame == 0 ||
        !(a.mSampleRate >= kMinOutputRate && a.mSampleRate <= kMaxOutputRate) || a.mFramesPerPacket != 1)
        return false;
    output_format f;
    f.sample_rate = a.mSampleRate;
    f.channels = a.mChannelsPerFrame;
    f.is_float = (a.mFormatFlags & kAudioFormatFlagIsFloat) != 0;
    f.big_endian = (a.mFormatFlags & kAudioFormatFlagIsBigEndian) != 0;
    f.non_interleaved = (a.mFormatFlags & kAudioFormatFlagIsNonInterleaved) != 0;
    const uint32_t bits = a.mBitsPerChannel;
    if (f.is_float) {
        if (bits != 32 && bits != 64) return false;
    } else {
        if (!(a.mFormatFlags & kAudioFormatFlagIsSignedInteger)) return false;
        if (bits != 16 && bits != 24 && bits != 32) return false;
    }
    f.bytes_per_sample = bits / 8;
    if (a.mBytesPerFrame != f.buffer_frame_bytes() || a.mBytesPerPacket != a.mBytesPerFrame) return false;
    out = f;
    return true;
}

size_t frames_that_fit(const output_format& f, const AudioBufferList& list) {
    if (list.mNumberBuffers < f.buffer_count()) return 0;
    size_t fit = SIZE_MAX;
    for (uint32_t b = 0; b < f.buffer_count(); ++b) {
        const AudioBuffer& buffer = buffer_at(list, b);
        if (!buffer.mData) return 0;
        const size_t n = buffer.mDataByteSize / f.buffer_frame_bytes();
        if (n < fit) fit = n;
    }
    return fit;
}

// Interleaved 32-bit floats, big-endian: the importer's format, written a
// word at a time (one byte swap each on this little-endian target) with the
// same bits as the general loop.
void write_float32_big_endian(const float* src, size_t count, uint8_t* out) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "written for little-endian machines");
    for (size_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &src[i], 4);
        bits = __builtin_bswap32(bits);
        std::memcpy(out + 4 * i, &bits, 4);
    }
}

void write_frames(const output_format& f, const float* src, size_t first, size_t frames,
                  AudioBufferList& list) {
    const uint32_t bytes = f.bytes_per_sample;
    const uint32_t frame_bytes = f.buffer_frame_bytes();
    if (f.is_float && bytes == 4 && f.big_endian && !f.non_interleaved) {
        AudioBuffer& buffer = buffer_at(list, 0);
        write_float32_big_endian(src, frames * f.channels,
                                 static_cast<uint8_t*>(buffer.mData) + first * frame_bytes);
        buffer.mDataByteSize = uint32_t((first + frames) * frame_bytes);
        return;
    }
    for (uint32_t b = 0; b < f.buffer_count(); ++b) {
        AudioBuffer& buffer = buffer_at(list, b);
        uint8_t* out = static_cast<uint8_t*>(buffer.mData) + first * frame_bytes;
        if (f.non_interleaved) {
            for (size_t i = 0; i < frames; ++i, out += bytes)
                store(out, encode(f, src[i * f.channels + b]), bytes, f.big_endian);
        } else {
            const size_t count = frames * f.channels;
            for (size_t i = 0; i < count; ++i, out += bytes) store(out, encode(f, src[i]), bytes, f.big_endian);
        }
        buffer.mDataByteSize = uint32_t((first + frames) * frame_bytes);
    }
}

}  // namespace qtrt::audio
