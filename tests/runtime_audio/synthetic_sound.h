// Sound sample descriptions and sound tracks made in memory, for tests of the
// extraction's parts without a movie file.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/extraction_session.h"
#include "movie/model.h"

namespace audio_test {

using bytes = std::vector<uint8_t>;

void put_u16(bytes& b, uint32_t v);
void put_u32(bytes& b, uint32_t v);
void put_f64(bytes& b, double v);

// Version 0 description: the data format, channels, sample size and rate.
bytes description_v0(OSType format, uint16_t channels, uint16_t bits, uint32_t rate);
// Version 1, with bytes per frame, and an 'enda' atom in a 'wave' atom when
// enda is 0 or 1 (none when it is negative).
bytes description_v1(OSType format, uint16_t channels, uint16_t bits, uint32_t rate, uint32_t bytes_per_frame,
                     int enda);
// Version 2 ('lpcm' and others), with its format flags.
bytes description_v2(OSType format, uint32_t channels, uint32_t bits, double rate, uint32_t flags,
                     uint32_t bytes_per_frame);

struct track_plan {
    bytes description;
    bytes data;              // frames of the media, as stored
    uint32_t frames = 0;
    uint32_t frames_per_chunk = 1000;
    TimeScale media_time_scale = 0;  // 0: the sample rate
    std::vector<qtrt::edit_entry> edits;  // empty: the whole media from movie time 0
    TimeScale movie_time_scale = 600;
};

// The track and its source, media bytes served from memory. The track's
// media time scale is the sample rate unless the plan says otherwise.
qtrt::audio::sound_track_input make_track(const track_plan& plan);

// 16-bit big-endian samples from values.
bytes s16be(const std::vector<int16_t>& values);

}  // namespace audio_test
