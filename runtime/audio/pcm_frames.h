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
    // count, are silence. The reader keeps its own copy of the media's sample
    // table, so that it may read on any thread while the movie is in use.
    pcm_frames(const media_model& media, const sound_format& format, media_reader reader);

    OSErr read(int64_t first, size_t count, float* dst) override;

private:
    struct description {
        sound_format format;
        uint32_t data_ref_index;
        bool usable;
    };
    uint32_t m_channels;
    int64_t m_frame_count;
    std::vector<description> m_descriptions;
    sample_table m_table;
    media_reader m_reader;
    std::vector<uint8_t> m_bytes;
};

}  // namespace qtrt::audio
