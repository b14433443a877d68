// One sound track laid out on the movie's time line at the extraction's
// output sample rate: its edits as stretches of output frames, each silent or
// showing the media from a source position on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/resampler.h"
#include "audio/sound_track_source.h"
#include "format/time_scale.h"
#include "movie/model.h"

namespace qtrt::audio {

class track_timeline {
public:
    track_timeline(const track_model& track, TimeScale movie_time_scale, sound_track_source source,
                   double output_rate);

    const sound_track_source& source() const { return m_source; }
    uint32_t channels() const { return m_source.format().channels; }
    // The output frame at which the track's last edit ends.
    int64_t end_frame() const { return m_end_frame; }

    // Writes output frames first .. first + count - 1 of this track into dst
    // (channels() interleaved floats each, overwritten).
    OSErr render(int64_t first, size_t count, float* dst) const;

private:
    struct segment {
        int64_t out_start;
        int64_t out_end;
        bool empty;
        double source_start;  // source frame shown at out_start
        double step;          // source frames per output frame
        bool direct;          // one source frame per output frame, on whole frames
    };

    OSErr render_segment(const segment& s, int64_t first, size_t count, float* dst) const;
    OSErr resample_part(const segment& s, double start, size_t count, float* dst) const;

    sound_track_source m_source;
    std::vector<segment> m_segments;
    int64_t m_end_frame = 0;
    std::unique_ptr<sinc_resampler> m_resampler;
    mutable std::vector<float> m_scratch;
};

}  // namespace qtrt::audio
