#include "importer/frame.h"

#include <cstdlib>
#include <new>

namespace ns_movie_apple_qt {

namespace {

// Takes a frame whose buffer could not be allocated and answers null, so
// that no frame exists without its buffer.
template <class T>
T* checked(T* f) {
    if (f && f->data()) return f;
    delete f;
    return nullptr;
}

}  // namespace

frame::frame(uint32_t kind, uint32_t size, double display_time, double decode_time,
             double duration, uint64_t number)
    : m_kind(kind),
      m_size(size),
      m_data(nullptr),
      m_display_time(display_time),
      m_decode_time(decode_time),
      m_duration(duration),
      m_number(number) {}

frame::~frame() = default;

bool frame::allocate_data() {
    // size_t is 32 bits wide here: a size near 4 GiB would wrap.
    if (m_size > SIZE_MAX - padding) return false;
    m_data = static_cast<uint8_t*>(std::calloc(size_t(m_size) + padding, 1));
    return m_data != nullptr;
}

void frame::set_times(double seconds) {
    m_display_time = seconds;
    m_decode_time = seconds;
}

void frame::set_decode_time(double seconds) { m_decode_time = seconds; }

void frame::set_number(uint64_t number) { m_number = number; }

video_frame::video_frame(uint32_t size, uint32_t format, double display_time, double decode_time,
                         double duration, uint64_t number, uint32_t width, uint32_t height,
                         const kolmbase::timecode& timecode, bool key_frame)
    : frame(kind_video, size, display_time, decode_time, duration, number),
      m_format(format),
      m_width(width),
      m_height(height),
      m_timecode(timecode),
      m_key_frame(key_frame) {
    allocate_data();
}

video_frame* video_frame::create(uint32_t size, uint32_t format, double display_time,
                                 double decode_time, double duration, uint64_t number,
                                 uint32_t width, uint32_t height,
                                 const kolmbase::timecode& timecode, bool key_frame) {
    return checked(new (std::nothrow) video_frame(size, format, display_time, decode_time,
                                                  duration, number, width, height, timecode,
                                                  key_frame));
}

audio_frame::audio_frame(uint32_t size, double display_time, double decode_time,
                         double duration, uint64_t number)
    : frame(kind_audio, size, display_time, decode_time, duration, number) {
    allocate_data();
}

audio_frame* audio_frame::create(uint32_t size, double display_time, double decode_time,
                                 double duration, uint64_t number) {
    return checked(
        new (std::nothrow) audio_frame(size, display_time, decode_time, duration, number));
}

void release_frame(frame*& f, bool free_data) {
    if (!f) return;
    if (free_data) std::free(f->data());
    delete f;
    f = nullptr;
}

}  // namespace ns_movie_apple_qt
