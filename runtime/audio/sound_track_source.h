// One sound track's media as a sequence of decoded frames at its source rate:
// uncompressed sound through the PCM decoders (pcm_frames), compressed sound
// through a packet decoder (packet_frames). Copies share one reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/frame_reader.h"
#include "audio/sound_description.h"
#include "movie/model.h"

namespace qtrt::audio {

class sound_track_source {
public:
    // Answers false when the media cannot be decoded: no sound description,
    // or a first description in a format no decoder here handles; why (when
    // given) then says so. track_id names the track in warnings.
    static bool create(const media_model& media, media_reader reader, sound_track_source& out,
                       uint32_t track_id = 0, std::string* why = nullptr);

    // Channels, rate and source depth of the decoded frames; the stored
    // layout fields only for PCM.
    const sound_format& format() const { return m_format; }
    // Core Audio labels of the channels: the description's 'chan' layout,
    // else by channel count (the decoder's beyond two channels).
    const std::vector<uint32_t>& channel_labels() const { return m_labels; }
    int64_t frame_count() const { return m_frame_count; }

    // Writes count frames from frame first on into dst (format().channels
    // floats each); frames outside the media are silence. An error when the
    // media's bytes cannot be read.
    OSErr read_frames(int64_t first, size_t count, float* dst) const;

private:
    sound_format m_format;
    std::vector<uint32_t> m_labels;
    int64_t m_frame_count = 0;
    std::shared_ptr<frame_reader> m_reader;
};

}  // namespace qtrt::audio
