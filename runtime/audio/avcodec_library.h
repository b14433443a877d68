// FFmpeg's libavcodec and libavutil, loaded when compressed sound is first
// decoded rather than linked: the runtime module loads and plays PCM on a
// machine without them, and a program that links the runtime maps them only
// when it needs them (AddressSanitizer under user-mode emulation must lay out
// its shadow memory before the libraries and their dependencies are mapped).
// The libraries loaded are those of the major versions the headers describe.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
}

namespace qtrt::audio {

// name, library
#define QTRT_LIBAV_FUNCTIONS(X)                          \
    X(avcodec_find_decoder, avcodec)                     \
    X(avcodec_alloc_context3, avcodec)                   \
    X(avcodec_free_context, avcodec)                     \
    X(avcodec_open2, avcodec)                            \
    X(avcodec_send_packet, avcodec)                      \
    X(avcodec_receive_frame, avcodec)                    \
    X(avcodec_flush_buffers, avcodec)                    \
    X(av_packet_alloc, avcodec)                          \
    X(av_packet_free, avcodec)                           \
    X(av_frame_alloc, avutil)                            \
    X(av_frame_free, avutil)                             \
    X(av_frame_unref, avutil)                            \
    X(av_strerror, avutil)                               \
    X(av_log_set_level, avutil)                          \
    X(av_mallocz, avutil)                                \
    X(av_channel_layout_default, avutil)                 \
    X(av_channel_layout_channel_from_index, avutil)      \
    X(av_channel_layout_index_from_channel, avutil)      \
    X(av_sample_fmt_is_planar, avutil)                   \
    X(av_get_packed_sample_fmt, avutil)

struct avcodec_library {
#define QTRT_LIBAV_POINTER(name, library) decltype(&::name) name = nullptr;
    QTRT_LIBAV_FUNCTIONS(QTRT_LIBAV_POINTER)
#undef QTRT_LIBAV_POINTER
};

// The loaded libraries (once, on the first call; quiet: they log nothing),
// or null with the reason in why.
const avcodec_library* load_avcodec(std::string* why = nullptr);

}  // namespace qtrt::audio
