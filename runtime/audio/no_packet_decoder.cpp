// The packet decoders of a build without libavcodec: none.
#include "audio/packet_decoder.h"

namespace qtrt::audio {

namespace {

constexpr const char* kWithout = "this runtime was built without libavcodec and decodes PCM only";

}  // namespace

bool compressed_sound_available(std::string* why) {
    if (why) *why = kWithout;
    return false;
}

bool codec_available(sound_codec) { return false; }

std::unique_ptr<packet_decoder> make_packet_decoder(const compressed_format&, std::string& error) {
    error = kWithout;
    return nullptr;
}

}  // namespace qtrt::audio
