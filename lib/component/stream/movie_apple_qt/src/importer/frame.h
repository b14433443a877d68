// One video sample or audio chunk on its way from a track reader to the
// importer: its times in seconds, its number within the track's run and its
// sample data.
//
// The data buffer is heap memory (malloc) of size() + 1000 bytes whose 1000
// bytes of padding are zero; the reader that makes a frame writes its size()
// bytes of sample data before handing it on.
// A frame never frees it: whoever disposes of the frame either frees it first
// (release_frame with free_data) or hands it on to a host frame, which takes
// it over, and then destroys only the frame object.
#pragma once

#include <cstdint>

#include "lib/kolmbase/timecode.h"

namespace ns_movie_apple_qt {

class frame {
public:
    enum : uint32_t { kind_base = 0, kind_audio = 1, kind_video = 2 };

    // Bytes allocated beyond the sample data.
    static constexpr uint32_t padding = 1000;

    virtual ~frame();
    frame(const frame&) = delete;
    frame& operator=(const frame&) = delete;

    uint32_t kind() const { return m_kind; }
    uint32_t size() const { return m_size; }
    uint8_t* data() const { return m_data; }
    double display_time() const { return m_display_time; }
    double decode_time() const { return m_decode_time; }
    double duration() const { return m_duration; }
    uint64_t number() const { return m_number; }

    // Sets display and decode time.
    void set_times(double seconds);
    void set_decode_time(double seconds);
    void set_number(uint64_t number);

protected:
    frame(uint32_t kind, uint32_t size, double display_time, double decode_time, double duration,
          uint64_t number);
    // Allocates the buffer with its padding zeroed; false when it cannot be
    // allocated.
    bool allocate_data();

    uint32_t m_kind;
    uint32_t m_size;
    uint8_t* m_data;
    double m_display_time;
    double m_decode_time;
    double m_duration;
    uint64_t m_number;
};

class video_frame : public frame {
public:
    // A new frame with its buffer; null when the frame or its buffer cannot be
    // allocated.
    static video_frame* create(uint32_t size, uint32_t format, double display_time,
                               double decode_time, double duration, uint64_t number,
                               uint32_t width, uint32_t height, const kolmbase::timecode& timecode,
                               bool key_frame);

    uint32_t format() const { return m_format; }
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    kolmbase::timecode timecode() const { return m_timecode; }
    bool is_key_frame() const { return m_key_frame; }

private:
    video_frame(uint32_t size, uint32_t format, double display_time, double decode_time,
                double duration, uint64_t number, uint32_t width, uint32_t height,
                const kolmbase::timecode& timecode, bool key_frame);

    uint32_t m_format;
    uint32_t m_width;
    uint32_t m_height;
    kolmbase::timecode m_timecode;
    bool m_key_frame;
};

class audio_frame : public frame {
public:
    // A new chunk with its buffer; null when the chunk or its buffer cannot be
    // allocated.
    static audio_frame* create(uint32_t size, double display_time, double decode_time,
                               double duration, uint64_t number);

private:
    audio_frame(uint32_t size, double display_time, double decode_time, double duration,
                uint64_t number);
};

// When f is not null: frees its data buffer if free_data is true, destroys the
// frame and sets f to null.
void release_frame(frame*& f, bool free_data);

}  // namespace ns_movie_apple_qt
