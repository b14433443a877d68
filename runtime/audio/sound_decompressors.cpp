#include "audio/sound_decompressors.h"

#include <mutex>

#include "audio/audio_constants.h"
#include "audio/compressed_description.h"
#include "audio/packet_decoder.h"
#include "components/component_manager.h"
#include "quicktime/movie_constants.h"

namespace qtrt::audio {
namespace {

constexpr OSType k_pcm_formats[] = {kFormatTwos, kFormatSowt, kFormatRaw,     kFormatNone,
                                    kFormatIn24, kFormatIn32, kFloat32Format, kFormatFl64,
                                    kFormatUlaw, kFormatAlaw, kFormatLpcm};

// The components answer only the calls every component answers: decoding
// happens inside movie audio extraction.
ComponentResult sound_decompressor_entry(ComponentParameters* params, Handle storage) {
    return dispatch_component_call(params, storage, nullptr, 0);
}

void register_format(OSType format) {
    ComponentDescription cd{kSoundDecompressor, format, kAppleManufacturer, 0, 0};
    RegisterComponent(&cd, &sound_decompressor_entry, 0, nullptr, nullptr, nullptr);
}

void register_all() {
    for (OSType format : k_pcm_formats) register_format(format);
    for (const compressed_format_entry& entry : compressed_formats())
        if (codec_available(entry.codec)) register_format(entry.format);
}

}  // namespace

void register_sound_decompressors() {
    static std::once_flag registered;
    std::call_once(registered, &register_all);
}

}  // namespace qtrt::audio
