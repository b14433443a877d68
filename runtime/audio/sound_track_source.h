// One sound track's media as a sequence of decoded frames: frame i of the
// media is its sample i (for the PCM formats a sample is one frame), read
// from the chunk that holds it and decoded with that chunk's description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/sound_format.h"
#include "movie/model.h"

namespace qtrt::audio {

// Reads size bytes at offset of the media's data reference data_ref_index
// (from 1) into bytes, sized only once the bytes are found in the data.
using media_reader = std::function<OSErr(uint32_t data_ref_index, uint64_t offset, uint64_t size,
                                         std::vector<uint8_t>& bytes)>;

class sound_track_source {
public:
    // Answers false when the media cannot be decoded: no sound description,
    // or a first description in a format this runtime does not decode.
    static bool create(const media_model& media, media_reader reader, sound_track_source& out);

    const sound_format& format() const { return m_format; }
    int64_t frame_count() const { return m_frame_count; }

    // Writes count frames from frame first on into dst (format().channels
    // floats each); frames outside the media, and frames of chunks whose
    // description has another channel count or cannot be decoded, are
    // silence. An error when the media's bytes cannot be read.
    OSErr read_frames(int64_t first, size_t count, float* dst) const;

private:
    struct chunk {
        int64_t first_frame;
        uint32_t frames;
        uint64_t offset;
        uint32_t description;  // index into m_descriptions, or kNoDescription
    };
    struct description {
        sound_format format;
        uint32_t data_ref_index;
        bool usable;  // decodable with the track's channel count
    };
    static constexpr uint32_t kNoDescription = UINT32_MAX;

    size_t chunk_of(int64_t frame) const;

    sound_format m_format;
    int64_t m_frame_count = 0;
    std::vector<description> m_descriptions;
    std::vector<chunk> m_chunks;
    media_reader m_reader;
    mutable std::vector<uint8_t> m_bytes;
};

}  // namespace qtrt::audio
