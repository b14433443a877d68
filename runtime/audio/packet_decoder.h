// Decoding of compressed sound packets into 32-bit float frames. The runtime
// decodes with FFmpeg's libavcodec where the build found its headers
// (avcodec_decoder.cpp, loading the library at run time); a build without it
// decodes PCM only (no_packet_decoder.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/compressed_description.h"

namespace qtrt::audio {

class packet_decoder {
public:
    virtual ~packet_decoder() = default;

    // Decodes one packet and appends its frames to out, interleaved
    // (channels() floats each). False when the packet does not decode:
    // nothing is appended and error says why. The first packet that decodes
    // fixes channels() and sample_rate(); a later packet of another channel
    // count or rate does not decode.
    // Frames of earlier packets that the decoder hands out late are kept:
    // they are appended with the packet's own.
    virtual bool decode(const uint8_t* data, size_t size, std::vector<float>& out, std::string& error) = 0;
    // True when the frames of the latest decode hide damage the decoder
    // found in the packet (its error concealment).
    virtual bool concealed() const { return false; }
    // Ends the stream: appends the frames the decoder still holds. The
    // decoder takes no packet after it.
    virtual void flush(std::vector<float>& out) { (void)out; }
    // Forgets every packet taken so far, as for a new stream: what a jump
    // elsewhere in the media needs, at the cost of the decoder's pre-roll
    // only. False when the decoder cannot: a new one is needed.
    virtual bool reset() { return false; }
    // True when the decoder holds frames back and hands them out with later
    // packets (Opus resampling SILK at 8 or 12 kHz): a packet's output then
    // does not start at the packet's own time.
    virtual bool holds_frames_back() const { return false; }
    // 0 until a packet has decoded.
    virtual uint32_t channels() const = 0;
    virtual double sample_rate() const = 0;
    // Core Audio channel labels (AudioChannelLabel) of the decoded channels,
    // in order; empty when the decoder does not say.
    virtual std::vector<uint32_t> channel_labels() const = 0;
};

// True when compressed sound can be decoded here: the build has the
// decoders and their libraries load. Otherwise false, with the reason in why.
bool compressed_sound_available(std::string* why = nullptr);
// True when a decoder for the codec is available here.
bool codec_available(sound_codec codec);
// A new decoder for the format, or null with the reason in error.
std::unique_ptr<packet_decoder> make_packet_decoder(const compressed_format& format, std::string& error);

}  // namespace qtrt::audio
