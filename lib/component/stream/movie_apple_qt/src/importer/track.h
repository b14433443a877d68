// The track reader base: one object per exported QuickTime track, holding the
// movie it belongs to, its place in the importer's output, its time range, the
// shift that puts every track on the video track's time line, its start time
// code and a first-in first-out queue of ready frames that it owns.
#pragma once

#include <cstdint>
#include <deque>

#include "importer/frame.h"
#include "lib/kolmbase/timecode.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

struct shown_edit;

class track {
public:
    enum : uint32_t { kind_none = 0, kind_audio = 1, kind_video = 2 };

    // Answers of open, read and seek.
    enum : int {
        status_ok = 0,
        status_failed = 1,
        status_end = 2,
        status_no_movie = 3,
        status_finished = 5,
        status_inactive = 9,
    };

    virtual ~track();
    track(const track&) = delete;
    track& operator=(const track&) = delete;

    virtual int open(Movie movie) = 0;
    virtual int read() = 0;
    virtual int seek(double start, double end) = 0;
    virtual int flush() = 0;
    virtual int reset() = 0;
    virtual void prepare() = 0;

    uint32_t kind() const { return m_kind; }
    const char* name() const { return m_name; }
    uint32_t codec() const { return m_codec; }
    double start() const { return m_start; }
    double duration() const { return m_duration; }
    uint64_t frame_count() const { return m_frame_count; }
    uint64_t byte_count() const { return m_byte_count; }
    bool is_active() const { return m_active; }

    bool is_enabled() const { return m_enabled; }
    void set_enabled(bool enabled) { m_enabled = enabled; }
    int32_t queue_index() const { return m_queue_index; }
    void set_queue_index(int32_t index) { m_queue_index = index; }

    float shown_media_start() const { return m_shown_media_start; }
    float sync_start() const { return m_sync_start; }
    float shown_track_start() const { return m_shown_track_start; }
    float time_shift() const { return m_time_shift; }
    void set_time_shift(float seconds) { m_time_shift = seconds; }

    kolmbase::timecode timecode() const { return m_timecode; }

    const uint8_t* decoder_config() const { return m_decoder_config; }
    uint32_t decoder_config_size() const { return m_decoder_config_size; }

    void add_frames(uint64_t count) { m_frame_count += count; }
    void add_bytes(uint64_t count) { m_byte_count += count; }

    // Adds the time shift to both time stamps of f and queues it; the queue
    // owns it from then on. Null does nothing. false when the queue cannot
    // grow: the frame and its buffer are released then.
    bool push_frame(frame* f);
    // The oldest queued frame, taken out of the queue (the caller owns it
    // and its buffer), or null when the queue is empty.
    frame* pop_frame();
    size_t queued_frames() const { return m_frames.size(); }

    // Sets the start times from the track's first edit that shows media:
    // m_shown_media_start, the media time it shows at its start, and
    // m_sync_start, the sync sample the frame shown there decodes from (both
    // seconds of media time), and m_shown_track_start, where that edit starts
    // on the track's time line (after any empty edits), in seconds.
    void compute_start_times(Track qt_track);
    // The same from the first edit that shows media, already found.
    void set_start_times(Media media, const shown_edit& shown, TimeScale movie_scale,
                         TimeScale media_scale);

protected:
    track();

    // What reset does for every kind of track: counters to zero, active,
    // queue emptied with every frame and its buffer released.
    void reset_run();
    // Replaces the decoder configuration by a copy of size bytes; false when
    // the copy cannot be allocated.
    bool set_decoder_config(const uint8_t* data, uint32_t size);

    uint32_t m_kind;
    bool m_enabled;
    double m_start;
    double m_duration;
    int32_t m_queue_index;
    uint32_t m_codec;
    Movie m_movie;
    std::deque<frame*> m_frames;
    uint64_t m_frame_count;
    uint64_t m_byte_count;
    const char* m_name;
    bool m_active;
    uint8_t* m_decoder_config;
    uint32_t m_decoder_config_size;
    float m_shown_media_start;
    float m_time_shift;
    float m_sync_start;
    float m_shown_track_start;
    kolmbase::timecode m_timecode;
};

}  // namespace ns_movie_apple_qt
