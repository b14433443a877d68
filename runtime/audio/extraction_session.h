// A movie audio extraction: the movie's enabled sound tracks rendered along
// the movie's time line, mixed or kept discrete, resampled to the output
// rate and delivered in the client's output format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/channel_mixer.h"
#include "audio/output_format.h"
#include "audio/sound_track_source.h"
#include "audio/track_timeline.h"
#include "movie/model.h"
#include "quicktime/audio_extraction.h"
#include "quicktime/movies.h"

namespace qtrt::audio {

// A sound track the extraction renders: the facts of its model that place it
// on the movie's time line (edits, volume, media time scale; no sample table)
// and its decoded media, which reads through the movie.
struct sound_track_input {
    track_model track;
    sound_track_source source;
    // The source's reads touch no movie object and may run on any thread.
    bool reads_from_any_thread = false;
};

class extraction_session {
public:
    // tracks must not be empty.
    extraction_session(TimeScale movie_time_scale, std::vector<sound_track_input> tracks);

    bool discrete() const { return m_discrete; }
    // Switching rebuilds the channel layout and returns the output format to
    // the default description of the new layout.
    void set_discrete(bool discrete);

    // The description the extraction offers before a client sets one: the
    // highest sample rate among the tracks, the output's channel count, the
    // deepest source sample, as 32-bit float, packed, non-interleaved.
    AudioStreamBasicDescription default_description() const;
    AudioStreamBasicDescription description() const;
    // paramErr for a format the extraction cannot produce or a channel count
    // other than the output's.
    OSStatus set_description(const AudioStreamBasicDescription& asbd);

    // The current position as a time record: the output sample rate as scale
    // when it is a whole number, else the movie's time scale.
    TimeRecord current_time() const { return time_at(m_position); }
    TimeRecord time_at(int64_t position) const;
    OSStatus set_current_time(const TimeRecord& time);
    // Back to a position an earlier fill left (output frames from the start).
    void return_to(int64_t position) { m_position = position; }

    // MovieAudioExtractionFillBuffer.
    OSStatus fill(uint32_t& frames, AudioBufferList& list, uint32_t& flags);

    int64_t position() const { return m_position; }
    int64_t end_frame() const { return m_end_frame; }
    const output_format& format() const { return m_format; }
    // True when fills may run on another thread than the client's: every
    // track reads its data and sample table without movie objects.
    bool fills_on_any_thread() const;

private:
    void build_layout();
    void build_timelines(double output_rate);

    TimeScale m_movie_time_scale;
    std::vector<sound_track_input> m_inputs;
    std::vector<track_timeline> m_timelines;
    channel_mixer m_mixer;
    output_format m_format;
    bool m_format_set = false;
    bool m_discrete = false;
    int64_t m_position = 0;  // output frames from the movie's start
    int64_t m_end_frame = 0;
    TimeBase m_time_base = nullptr;
    std::vector<float> m_track_block;
    std::vector<float> m_mix_block;
};

}  // namespace qtrt::audio
