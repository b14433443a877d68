// Packet decoders on FFmpeg's libavcodec (loaded at run time,
// avcodec_library.h). Decoders run single-threaded, do not drop the samples a
// stream marks for skipping (the movie's edits decide what plays), and keep
// quiet: a packet that fails is reported by the caller.
#include <algorithm>
#include <cstring>

#include "audio/avcodec_library.h"
#include "audio/channel_layout.h"
#include "audio/checked_math.h"
#include "audio/packet_decoder.h"

namespace qtrt::audio {
namespace {

constexpr int kMaxChannels = 64;

struct codec_row {
    sound_codec codec;
    AVCodecID id;
};

constexpr codec_row k_codecs[] = {
    {sound_codec::aac, AV_CODEC_ID_AAC},
    {sound_codec::apple_lossless, AV_CODEC_ID_ALAC},
    {sound_codec::ima4, AV_CODEC_ID_ADPCM_IMA_QT},
    {sound_codec::mp3, AV_CODEC_ID_MP3},
    {sound_codec::mace3, AV_CODEC_ID_MACE3},
    {sound_codec::mace6, AV_CODEC_ID_MACE6},
    {sound_codec::qdesign2, AV_CODEC_ID_QDM2},
    {sound_codec::qdesign, AV_CODEC_ID_QDMC},
    {sound_codec::pure_voice, AV_CODEC_ID_QCELP},
    {sound_codec::gsm, AV_CODEC_ID_GSM},
    {sound_codec::amr_narrowband, AV_CODEC_ID_AMR_NB},
    {sound_codec::amr_wideband, AV_CODEC_ID_AMR_WB},
    {sound_codec::ac3, AV_CODEC_ID_AC3},
    {sound_codec::enhanced_ac3, AV_CODEC_ID_EAC3},
    {sound_codec::flac, AV_CODEC_ID_FLAC},
    {sound_codec::opus, AV_CODEC_ID_OPUS},
    {sound_codec::ima_wav, AV_CODEC_ID_ADPCM_IMA_WAV},
    {sound_codec::ms_adpcm, AV_CODEC_ID_ADPCM_MS},
};

// Bytes of an AMR frame, header included, by the frame type of its header
// (3GPP TS 26.101 and 26.201; the storage format of RFC 4867, section 5).
constexpr uint8_t k_amr_narrowband_sizes[16] = {13, 14, 16, 18, 20, 21, 27, 32,
                                                6,  1,  1,  1,  1,  1,  1,  1};
constexpr uint8_t k_amr_wideband_sizes[16] = {18, 24, 33, 37, 41, 47, 51, 59,
                                              61, 6,  1,  1,  1,  1,  1,  1};

const uint8_t* amr_frame_sizes(sound_codec codec) {
    if (codec == sound_codec::amr_narrowband) return k_amr_narrowband_sizes;
    if (codec == sound_codec::amr_wideband) return k_amr_wideband_sizes;
    return nullptr;
}

AVCodecID codec_id(sound_codec codec) {
    for (const codec_row& row : k_codecs)
        if (row.codec == codec) return row.id;
    return AV_CODEC_ID_NONE;
}

const AVCodec* find_decoder(const avcodec_library& av, sound_codec codec) {
    const AVCodecID id = codec_id(codec);
    return id == AV_CODEC_ID_NONE ? nullptr : av.avcodec_find_decoder(id);
}

std::string error_text(const avcodec_library& av, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av.av_strerror(code, text, sizeof text);
    return text;
}

uint32_t label_of(AVChannel channel, bool has_side) {
    using namespace label;
    switch (channel) {
    case AV_CHAN_FRONT_LEFT: return kLeft;
    case AV_CHAN_FRONT_RIGHT: return kRight;
    case AV_CHAN_FRONT_CENTER: return kCenter;
    case AV_CHAN_LOW_FREQUENCY: return kLfeScreen;
    // Surrounds are the side channels when there are any, else the back ones.
    case AV_CHAN_SIDE_LEFT: return kLeftSurround;
    case AV_CHAN_SIDE_RIGHT: return kRightSurround;
    case AV_CHAN_BACK_LEFT: return has_side ? kRearSurroundLeft : kLeftSurround;
    case AV_CHAN_BACK_RIGHT: return has_side ? kRearSurroundRight : kRightSurround;
    case AV_CHAN_FRONT_LEFT_OF_CENTER: return kLeftCenter;
    case AV_CHAN_FRONT_RIGHT_OF_CENTER: return kRightCenter;
    case AV_CHAN_BACK_CENTER: return kCenterSurround;
    case AV_CHAN_TOP_CENTER: return kTopCenterSurround;
    case AV_CHAN_TOP_FRONT_LEFT: return kVerticalHeightLeft;
    case AV_CHAN_TOP_FRONT_CENTER: return kVerticalHeightCenter;
    case AV_CHAN_TOP_FRONT_RIGHT: return kVerticalHeightRight;
    case AV_CHAN_TOP_BACK_LEFT: return kTopBackLeft;
    case AV_CHAN_TOP_BACK_CENTER: return kTopBackCenter;
    case AV_CHAN_TOP_BACK_RIGHT: return kTopBackRight;
    case AV_CHAN_WIDE_LEFT: return kLeftWide;
    case AV_CHAN_WIDE_RIGHT: return kRightWide;
    case AV_CHAN_LOW_FREQUENCY_2: return kLfe2;
    case AV_CHAN_STEREO_LEFT: return kLeftTotal;
    case AV_CHAN_STEREO_RIGHT: return kRightTotal;
    default: return 0;
    }
}

std::vector<uint32_t> labels_of(const avcodec_library& av, const AVChannelLayout& layout) {
    std::vector<uint32_t> labels;
    if (layout.order != AV_CHANNEL_ORDER_NATIVE && layout.order != AV_CHANNEL_ORDER_CUSTOM) return labels;
    const bool has_side = av.av_channel_layout_index_from_channel(&layout, AV_CHAN_SIDE_LEFT) >= 0;
    for (int i = 0; i < layout.nb_channels; ++i) {
        const uint32_t l = label_of(av.av_channel_layout_channel_from_index(&layout, unsigned(i)), has_side);
        labels.push_back(l != 0 ? l : label::kDiscrete0 | uint32_t(i));
    }
    return labels;
}

template <typename T, typename Convert>
void copy_samples(const AVFrame& frame, int channels, bool planar, float* dst, Convert convert) {
    const size_t frames = size_t(frame.nb_samples), n = size_t(channels);
    if (!planar) {
        const T* src = reinterpret_cast<const T*>(frame.extended_data[0]);
        for (size_t i = 0; i < frames * n; ++i) dst[i] = convert(src[i]);
        return;
    }
    for (size_t c = 0; c < n; ++c) {
        const T* src = reinterpret_cast<const T*>(frame.extended_data[c]);
        for (size_t i = 0; i < frames; ++i) dst[i * n + c] = convert(src[i]);
    }
}

// Appends the frame's samples to out as interleaved floats; integers scale
// by their full range (s / 2^(n-1)), as PCM does. False for a sample format
// libavcodec's audio decoders do not produce.
bool append_samples(const avcodec_library& av, const AVFrame& frame, int channels, std::vector<float>& out) {
    const AVSampleFormat format = AVSampleFormat(frame.format);
    const bool planar = av.av_sample_fmt_is_planar(format) != 0;
    const size_t base = out.size();
    const size_t n = float_count(frame.nb_samples, uint32_t(channels));
    size_t total = 0;
    if (frame.nb_samples < 0 || (n == 0 && frame.nb_samples > 0) || !checked_add(base, n, total)) return false;
    out.resize(total);
    float* dst = out.data() + base;
    switch (av.av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        copy_samples<uint8_t>(frame, channels, planar, dst,
                              [](uint8_t v) { return float(int(v) - 128) * (1.0f / 128.0f); });
        return true;
    case AV_SAMPLE_FMT_S16:
        copy_samples<int16_t>(frame, channels, planar, dst, [](int16_t v) { return float(v) * (1.0f / 32768.0f); });
        return true;
    case AV_SAMPLE_FMT_S32:
        copy_samples<int32_t>(frame, channels, planar, dst,
                              [](int32_t v) { return float(v) * (1.0f / 2147483648.0f); });
        return true;
    case AV_SAMPLE_FMT_FLT:
        copy_samples<float>(frame, channels, planar, dst, [](float v) { return v; });
        return true;
    case AV_SAMPLE_FMT_DBL:
        copy_samples<double>(frame, channels, planar, dst, [](double v) { return float(v); });
        return true;
    default:
        out.resize(base);
        return false;
    }
}

class avcodec_decoder : public packet_decoder {
public:
    explicit avcodec_decoder(const avcodec_library& av) : m_av(av) {}
    ~avcodec_decoder() override {
        m_av.av_frame_free(&m_frame);
        m_av.av_packet_free(&m_packet);
        m_av.avcodec_free_context(&m_context);
    }

    bool open(const compressed_format& format, std::string& error) {
        m_amr_sizes = amr_frame_sizes(format.codec);
        const AVCodec* codec = find_decoder(m_av, format.codec);
        if (!codec) {
            error = "libavcodec has no decoder for it";
            return false;
        }
        m_holds_back = (codec->capabilities & AV_CODEC_CAP_DELAY) != 0;
        m_context = m_av.avcodec_alloc_context3(codec);
        m_packet = m_av.av_packet_alloc();
        m_frame = m_av.av_frame_alloc();
        if (!m_context || !m_packet || !m_frame) {
            error = "out of memory";
            return false;
        }
        m_context->thread_count = 1;
        m_context->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
        m_context->sample_rate = int(format.sample_rate + 0.5);
        m_av.av_channel_layout_default(&m_context->ch_layout, int(format.channels));
        m_context->block_align = int(format.bytes_per_packet);
        m_context->bits_per_coded_sample = int(format.coded_bits != 0 ? format.coded_bits : format.bits_per_channel);
        if (!format.config.empty()) {
            m_context->extradata =
                static_cast<uint8_t*>(m_av.av_mallocz(format.config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!m_context->extradata) {
                error = "out of memory";
                return false;
            }
            std::memcpy(m_context->extradata, format.config.data(), format.config.size());
            m_context->extradata_size = int(format.config.size());
        }
        const int err = m_av.avcodec_open2(m_context, codec, nullptr);
        if (err < 0) {
            error = "the decoder refuses its configuration (" + error_text(m_av, err) + ")";
            return false;
        }
        return true;
    }

    // An AMR media sample holds any number of whole frames, each sized by
    // its header; libavcodec decodes one frame of a packet, so each frame
    // goes to it as a packet of its own.
    bool decode(const uint8_t* data, size_t size, std::vector<float>& out, std::string& error) override {
        if (!m_amr_sizes || size == 0) return decode_one(data, size, out, error);
        const size_t before = out.size();
        bool concealed = false;
        for (size_t at = 0, frame = 1; at < size; ++frame) {
            const size_t length = m_amr_sizes[(data[at] >> 3) & 0x0F];
            if (length > size - at) {
                error = "its frame " + std::to_string(frame) + " needs " + std::to_string(length) +
                        " bytes, " + std::to_string(size - at) + " are left";
                out.resize(before);
                return false;
            }
            if (!decode_one(data + at, length, out, error)) {
                out.resize(before);
                return false;
            }
            concealed = concealed || m_concealed;
            at += length;
        }
        m_concealed = concealed;
        return true;
    }

    bool decode_one(const uint8_t* data, size_t size, std::vector<float>& out, std::string& error) {
        m_concealed = false;
        // An empty packet would tell the decoder that the stream has ended.
        if (size == 0 || size > size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) {
            error = size == 0 ? "the packet is empty" : "the packet is too large";
            return false;
        }
        // The decoder may read a little past the packet: the padding is zeros.
        m_bytes.assign(data, data + size);
        m_bytes.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        m_packet->data = m_bytes.data();
        m_packet->size = int(size);
        const size_t before = out.size();
        int err = m_av.avcodec_send_packet(m_context, m_packet);
        if (err == AVERROR(EAGAIN)) {  // frames of an earlier packet still wait: they come first
            if (!receive_all(out, error)) {
                out.resize(before);
                return false;
            }
            err = m_av.avcodec_send_packet(m_context, m_packet);
        }
        if (err < 0) {
            error = error_text(m_av, err);
            return false;
        }
        if (!receive_all(out, error)) {
            out.resize(before);
            return false;
        }
        return true;
    }

    bool concealed() const override { return m_concealed; }
    bool holds_frames_back() const override { return m_holds_back; }

    bool reset() override {
        m_av.avcodec_flush_buffers(m_context);
        m_flushed = false;
        return true;
    }

    void flush(std::vector<float>& out) override {
        if (m_flushed) return;
        m_flushed = true;
        if (m_av.avcodec_send_packet(m_context, nullptr) < 0) return;
        std::string ignored;
        const size_t before = out.size();
        if (!receive_all(out, ignored)) out.resize(before);
    }

    uint32_t channels() const override { return uint32_t(m_channels); }
    double sample_rate() const override { return m_rate; }
    std::vector<uint32_t> channel_labels() const override { return m_labels; }

private:
    bool take_frame(std::vector<float>& out, std::string& error) {
        const int channels = m_frame->ch_layout.nb_channels;
        if (channels <= 0 || channels > kMaxChannels || m_frame->sample_rate <= 0) {
            error = "the decoder gave no usable channel count or rate";
            return false;
        }
        if (m_channels == 0) {
            m_channels = channels;
            m_rate = m_frame->sample_rate;
            m_labels = labels_of(m_av, m_frame->ch_layout);
        } else if (channels != m_channels || m_frame->sample_rate != int(m_rate)) {
            error = "the channel count or sample rate changed to " + std::to_string(channels) + " channels at " +
                    std::to_string(m_frame->sample_rate) + " Hz";
            return false;
        }
        if (!append_samples(m_av, *m_frame, channels, out)) {
            error = "the decoder gave an unknown sample format";
            return false;
        }
        return true;
    }

    // Takes every frame the decoder has ready. On a failure the frames are
    // unreferenced and error says why.
    bool receive_all(std::vector<float>& out, std::string& error) {
        for (;;) {
            const int err = m_av.avcodec_receive_frame(m_context, m_frame);
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
            if (err < 0) {
                error = error_text(m_av, err);
                return false;
            }
            if (m_frame->decode_error_flags != 0 || (m_frame->flags & AV_FRAME_FLAG_CORRUPT)) m_concealed = true;
            const bool taken = take_frame(out, error);
            m_av.av_frame_unref(m_frame);
            if (!taken) {
                while (m_av.avcodec_receive_frame(m_context, m_frame) >= 0) m_av.av_frame_unref(m_frame);
                return false;
            }
        }
    }

    const avcodec_library& m_av;
    const uint8_t* m_amr_sizes = nullptr;  // frame sizes when packets hold AMR frames
    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    std::vector<uint8_t> m_bytes;
    int m_channels = 0;
    double m_rate = 0.0;
    std::vector<uint32_t> m_labels;
    bool m_concealed = false;
    bool m_flushed = false;
    bool m_holds_back = false;
};

}  // namespace

bool compressed_sound_available(std::string* why) { return load_avcodec(why) != nullptr; }

bool codec_available(sound_codec codec) {
    const avcodec_library* av = load_avcodec();
    return av && find_decoder(*av, codec) != nullptr;
}

std::unique_ptr<packet_decoder> make_packet_decoder(const compressed_format& format, std::string& error) {
    const avcodec_library* av = load_avcodec(&error);
    if (!av) return nullptr;
    auto decoder = std::make_unique<avcodec_decoder>(*av);
    if (!decoder->open(format, error)) return nullptr;
    return decoder;
}

}  // namespace qtrt::audio
