// The frames of uncompressed sound: frame i of the media is its sample i,
// read from the chunk that holds it and decoded with that chunk's
// description.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/frame_reader.h"
#include "audio/sound_description.h"
#include "movie/model.h"

namespace qtrt::audio {

class pcm_frames : public frame_reader {
public:
    // The track's first description must be decodable PCM (format). Chunks of
    // another description that cannot be decoded, or has another channel
    // count, are silence.
    pcm_frames(const media_model& media, const sound_format& format, media_reader reader);

    OSErr read(int64_t first, size_t count, float* dst) override;

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
        bool usable;
    };
    static constexpr uint32_t kNoDescription = UINT32_MAX;

    size_t chunk_of(int64_t frame) const;

    uint32_t m_channels;
    int64_t m_frame_count;
    std::vector<description> m_descriptions;
    std::vector<chunk> m_chunks;
    media_reader m_reader;
    std::vector<uint8_t> m_bytes;
};

}  // namespace qtrt::audio
