// preflight: opening the movie named by the input stream and publishing what
// it holds.
#include <climits>
#include <string>

#include "apple_qt.h"
#include "data_handler_choice.h"
#include "datahandler/register_data_handler.h"
#include "datahandler/root_data_ref.h"
#include "importer/avc_config.h"
#include "importer/config.h"
#include "importer/data_format.h"
#include "importer/image_description.h"
#include "importer/movie.h"
#include "importer/track.h"
#include "importer/track_audio.h"
#include "importer/track_video.h"
#include "importer_errors.h"

namespace {

using ns_movie_apple_qt::video_track;
namespace desc = ns_movie_apple_qt::image_description;

// Several descriptions that differ in codec or size make a stream no single
// format names.
bool descriptions_differ(const video_track& reader) {
    video_track::description_bytes first = reader.sample_description(0);
    for (size_t i = 1; i < reader.sample_description_count(); ++i) {
        video_track::description_bytes other = reader.sample_description(i);
        if (desc::codec_type(other.data, other.size) != desc::codec_type(first.data, first.size) ||
            desc::width(other.data, other.size) != desc::width(first.data, first.size) ||
            desc::height(other.data, other.size) != desc::height(first.data, first.size))
            return true;
    }
    return false;
}

uint32_t data_format_of(const video_track& reader) {
    if (reader.sample_description_count() > 1 && descriptions_differ(reader))
        return ns_movie_apple_qt::kFormatQuickTime;
    uint32_t format = ns_movie_apple_qt::map_video_codec(reader.codec(), reader.depth());
    if (ns_movie_apple_qt::is_avc_codec(reader.codec())) {
        video_track::description_bytes first = reader.sample_description(0);
        ns_movie_apple_qt::avc_config avc;
        if (ns_movie_apple_qt::read_avc_config(first.data, first.size, avc))
            format = ns_movie_apple_qt::apply_avc_profile(format, avc.has_header, avc.profile);
    }
    return format;
}

uint32_t variant_code(const video_track& reader, uint32_t format) {
    if (format != ns_movie_apple_qt::kFormatDnxhd || reader.sample_description_count() == 0)
        return 0;
    video_track::description_bytes first = reader.sample_description(0);
    return ns_movie_apple_qt::dnxhd_variant(first.data, first.size);
}

}  // namespace

int apple_qt::preflight(Ruv::CM::RImporterConfiguration& configuration) {
    if (!m_movie) {
        configuration.getInt("debug-level", 0, INT_MIN, INT_MAX);
        install_log_handler();
        register_data_handler();
        m_movie = new ns_movie_apple_qt::movie();
    }

    std::string path = m_input ? m_input->getURI().str() : std::string();
    ns_movie_apple_qt::config& settings = ns_movie_apple_qt::config::instance();
    if (use_data_handler(path, configuration)) {
        // QuickTime reads every byte through the data handler from the input
        // stream; the settings and QuickTime keep referring to the reference.
        if (!m_input) return -1;
        Ruv::RPtr<Ruv::RString> resolves = configuration.getString("static-resolves", "");
        m_data_ref = datahandler::create_root_data_ref(
            m_input, resolves ? resolves->str() : std::string());
        settings.set_data_ref(m_data_ref);
    } else {
        if (path.empty()) throw apple_qt_errors::invalid_input_path();
        settings.set_path(path.c_str());
    }

    settings.set_extract_discrete(
        configuration.getInt("extract-audio-channels-discrete", 1, INT_MIN, INT_MAX) != 0);

    if (m_movie->open() != 0) return -1;
    publish_movie_info();
    m_status.setStatusCode(status_preflighted);
    return 0;
}

void apple_qt::publish_movie_info() {
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = Ruv::CM::RMovieInfo::create();
    int64_t input_size = m_input ? m_input->size() : 0;
    uint64_t size = input_size > 0 ? uint64_t(input_size) : 0;
    info->setSize(size);
    info->setDuration(m_movie->duration());

    const std::vector<ns_movie_apple_qt::track*>& readers = m_movie->tracks();
    for (size_t i = 0; i < readers.size(); ++i) {
        ns_movie_apple_qt::track* reader = readers[i];
        if (reader->kind() == ns_movie_apple_qt::track::kind_video) {
            const video_track& video = static_cast<const video_track&>(*reader);
            uint32_t format = data_format_of(video);
            Ruv::RPtr<Ruv::CM::RVideoTrackInfo> track_info =
                Ruv::CM::RVideoTrackInfo::createWithData(
                    unsigned(i), format, video.start(), video.duration(), 0.0, size,
                    unsigned(video.coded_width()), unsigned(video.coded_height()),
                    Ruv::Fixed64(video.frame_rate()), variant_code(video, format));
            // Frames of a stream no single format names carry the stored
            // codec; the info keeps _qt_.
            m_video_data_format =
                format == ns_movie_apple_qt::kFormatQuickTime ? video.codec() : format;
            if (!track_info) continue;
            track_info->setTimeCode(video.timecode());
            info->addTrack(track_info);
        } else if (reader->kind() == ns_movie_apple_qt::track::kind_audio) {
            const ns_movie_apple_qt::audio_track& audio =
                static_cast<const ns_movie_apple_qt::audio_track&>(*reader);
            uint32_t format = ns_movie_apple_qt::map_audio_format(audio.codec());
            m_audio_data_format = format;
            Ruv::RPtr<Ruv::CM::RAudioTrackInfo> track_info =
                Ruv::CM::RAudioTrackInfo::createWithData(
                    unsigned(i), format, audio.start(), audio.duration(), 0.0, size,
                    audio.channel_count(), audio.bits_per_channel(),
                    Ruv::Fixed64(audio.sample_rate()), 0);
            if (!track_info) continue;
            track_info->setTimeCode(audio.timecode());
            info->addTrack(track_info);
        }
    }
    m_movie_info = info;
}
