// The audio track reader: has QuickTime extract the movie's sound (every
// enabled sound track, decoded and mixed) and cuts it into chunks of
// interleaved 32-bit float PCM, each as long as the chunk duration (one video
// frame of the movie, or 40 ms). Chunks carry contiguous time stamps from the
// extraction time of the last seek.
#pragma once

#include <cstdint>

#include "importer/track.h"
#include "quicktime/audio_extraction.h"

namespace ns_movie_apple_qt {

class audio_track : public track {
public:
    static constexpr double default_chunk_duration = 0.04;
    static constexpr uint32_t default_frames_per_read = 2048;

    audio_track();
    ~audio_track() override;

    int open(Movie movie) override;
    int read() override;
    int seek(double start, double end) override;
    int flush() override { return 0; }
    int reset() override;
    void prepare() override {}

    // Set before open: the frames per read follow from it.
    void set_chunk_duration(double seconds) { m_chunk_duration = seconds; }
    double chunk_duration() const { return m_chunk_duration; }
    uint32_t frames_per_read() const { return m_frames_per_read; }
    double sample_rate() const { return m_sample_rate; }
    uint32_t channel_count() const { return m_channel_count; }
    // As the extraction reported it before the output became 32-bit float.
    uint32_t bits_per_channel() const { return m_bits_per_channel; }
    double start_time() const { return m_start_time; }
    double end_time() const { return m_end_time; }

private:
    // Allocates the buffer list and its data for frames-per-read frames;
    // false when the data cannot be allocated.
    bool allocate_buffers();
    int64_t first_frame_at_zero() const;

    MovieAudioExtractionRef m_extraction;
    AudioBufferList* m_audio_buffer_list;
    uint32_t m_frames_per_read;
    double m_chunk_duration;
    double m_sample_rate;
    uint32_t m_channel_count;
    uint32_t m_bits_per_channel;
    double m_start_time;
    double m_end_time;
    // The last fill failed; it has been said.
    bool m_fill_failed;
};

}  // namespace ns_movie_apple_qt
