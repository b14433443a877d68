#include "stream_descriptions.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "importer/avc_config.h"
#include "importer/data_format.h"
#include "importer/track_audio.h"
#include "importer/track_video.h"

namespace {

using Ruv::RBuffer;
using Ruv::RPtr;

template <class T>
void add_value(Ruv::CM::RDescription& description, const char* name, T value) {
    RPtr<RBuffer> buffer(new RBuffer(sizeof value, &value, Ruv::kConstructCopy));
    description.addParameter(name, buffer.get());
}

void add_copy(Ruv::CM::RDescription& description, const char* name, const void* data,
              size_t size) {
    RPtr<RBuffer> buffer(new RBuffer(size, data, Ruv::kConstructCopy));
    description.addParameter(name, buffer.get());
}

// The buffer takes the bytes over: they are moved into malloc'ed memory, as
// the host frees taken-over buffers with free().
void add_taken_over(Ruv::CM::RDescription& description, const char* name,
                    const std::vector<uint8_t>& bytes) {
    void* memory = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (!memory) return;
    if (!bytes.empty()) std::memcpy(memory, bytes.data(), bytes.size());
    RPtr<RBuffer> buffer(new RBuffer(bytes.size(), memory, Ruv::kConstructTakeOver));
    description.addParameter(name, buffer.get());
}

void add_h264_parameters(Ruv::CM::RDescription& description, const uint8_t* data, size_t size) {
    ns_movie_apple_qt::avc_config avc;
    if (!ns_movie_apple_qt::read_avc_config(data, size, avc) || !avc.has_header) return;
    add_value<uint32_t>(description, "video_profile", avc.profile);
    add_value<uint8_t>(description, "h264Profile", avc.profile);
    add_value<uint32_t>(description, "video_level", avc.level);
    add_value<uint8_t>(description, "h264Level", avc.level);
    add_value<uint8_t>(description, "b264Size", avc.nal_length_size);
    if (!avc.sps_complete) return;
    if (!avc.sequence_parameter_sets.empty())
        add_taken_over(description, "h264SequenceParameterSet",
                       ns_movie_apple_qt::annex_b_parameter_sets(avc.sequence_parameter_sets));
    if (!avc.pps_complete) return;
    if (!avc.picture_parameter_sets.empty())
        add_taken_over(description, "h264PictureParameterSet",
                       ns_movie_apple_qt::annex_b_parameter_sets(avc.picture_parameter_sets));
}

unsigned field_mode_of(const ns_movie_apple_qt::video_track& reader) {
    if (reader.field_mode() != 0) return unsigned(reader.field_mode());
    return ns_movie_apple_qt::default_field_mode(reader.codec());
}

// Takes the image descriptions out of the reader, so a second configure
// publishes none.
RPtr<Ruv::CM::RVideoDescription> make_video_description(ns_movie_apple_qt::video_track& reader) {
    RPtr<Ruv::CM::RVideoDescription> description(new Ruv::CM::RVideoDescription());
    description->setWidth(unsigned(reader.coded_width()));
    description->setHeight(unsigned(reader.coded_height()));
    description->setDisplayWidth(float(unsigned(reader.display_width())));
    description->setDisplayHeight(float(unsigned(reader.display_height())));
    description->setFrameRate(reader.frame_rate());
    description->setFieldMode(field_mode_of(reader));

    if (reader.clean_aperture_width() > 0 && reader.clean_aperture_height() > 0) {
        add_value<double>(*description, "clap_width", reader.clean_aperture_width());
        add_value<double>(*description, "clap_height", reader.clean_aperture_height());
    }

    const bool avc = ns_movie_apple_qt::is_avc_codec(reader.codec());
    const size_t count = reader.sample_description_count();
    for (size_t i = 0; i < count; ++i) {
        const std::vector<uint8_t> image = reader.take_sample_description();
        std::string name = i == 0 ? std::string("image_description")
                                  : "image_description_" + std::to_string(i);
        const uint32_t size = uint32_t(image.size());
        if (avc) add_h264_parameters(*description, image.data(), size);
        if (size > 0) add_copy(*description, name.c_str(), image.data(), size);
    }

    if (reader.decoder_config() && reader.decoder_config_size() != 0)
        add_copy(*description, "decoderSpecific", reader.decoder_config(),
                 reader.decoder_config_size());
    const std::string& reel = reader.reel_name();
    if (!reel.empty()) add_copy(*description, "reel_name", reel.data(), reel.size());
    return description;
}

RPtr<Ruv::CM::RAudioDescription> make_audio_description(
    const ns_movie_apple_qt::audio_track& reader) {
    RPtr<Ruv::CM::RAudioDescription> description(new Ruv::CM::RAudioDescription());
    description->setChannels(reader.channel_count());
    description->setBitsPerSample(reader.bits_per_channel());
    description->setBytesPerSample(reader.bits_per_channel() / 8);
    description->setSampleRate(reader.sample_rate());
    return description;
}

}  // namespace

RPtr<const Ruv::CM::RDescription> make_description(ns_movie_apple_qt::track& reader) {
    if (reader.kind() == ns_movie_apple_qt::track::kind_video)
        return make_video_description(static_cast<ns_movie_apple_qt::video_track&>(reader));
    return make_audio_description(static_cast<const ns_movie_apple_qt::audio_track&>(reader));
}
