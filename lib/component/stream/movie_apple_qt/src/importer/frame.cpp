#include "importer/frame.h"

#include <cstdlib>
#include <cstring>
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
    // The reader writes every sample byte before the frame leaves it (a video
    // sample is read straight into the buffer or the frame is dropped, an
    // audio chunk is copied in whole), so only the padding is zero-filled
    // here: a fill of the whole buffer would touch every byte twice.
    m_data = static_cast<uint8_t*>(std::malloc(size_t(m_size) + padding));
    if (!m_data) return false;
    std::memset(m_data + m_size, 0, padding);
    return true;
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
