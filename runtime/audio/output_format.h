// The extraction's output sample format, taken from the Core Audio stream
// description a client sets, and the writing of float frames in that format
// into the client's buffer list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quicktime/audio_extraction.h"

namespace qtrt::audio {

struct output_format {
    double sample_rate = 0.0;
    uint32_t channels = 0;
    bool is_float = true;
    uint32_t bytes_per_sample = 4;  // 4 or 8 for float; 2, 3 or 4 for integers
    bool big_endian = false;
    bool non_interleaved = true;

    // Bytes of one frame in one buffer: one channel's sample when the
    // channels are in separate buffers, all channels otherwise.
    uint32_t buffer_frame_bytes() const {
        return non_interleaved ? bytes_per_sample : bytes_per_sample * channels;
    }
    uint32_t buffer_count() const { return non_interleaved ? channels : 1; }
};

// Output sample rates an extraction delivers.
constexpr double kMinOutputRate = 1000.0;
constexpr double kMaxOutputRate = 1.0e6;

// Reads a linear PCM description: float of 32 or 64 bits, or signed integers
// of 16, 24 or 32 bits, either byte order, interleaved or not, packed, at
// 1 kHz to 1 MHz. Answers false for anything else.
bool output_format_from_asbd(const AudioStreamBasicDescription& asbd, output_format& out);

// Buffer index of a list (mNumberBuffers of them follow its count).
AudioBuffer& buffer_at(AudioBufferList& list, uint32_t index);
const AudioBuffer& buffer_at(const AudioBufferList& list, uint32_t index);

// Frames that fit in every buffer the format needs, or 0 when the list does
// not have the buffers the format needs.
size_t frames_that_fit(const output_format& format, const AudioBufferList& list);

// Writes frames interleaved float frames (format.channels samples each) into
// the buffers of list, starting at frame offset first, and sets each used
// buffer's byte size to the bytes written up to frame first + frames.
// Integers are rounded to nearest and clipped to their range.
void write_frames(const output_format& format, const float* src, size_t first, size_t frames,
                  AudioBufferList& list);

}  // namespace qtrt::audio
