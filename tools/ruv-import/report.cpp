#include "report.h"

#include <cstdint>
#include <cstring>

#include "json_events.h"
#include "lib/kolmbase/strings.h"

namespace ruv_import {

namespace {

std::string fourcc_text(uint32_t code) { return "'" + kolmbase::string_with_fourcc(code) + "'"; }

template <class T>
bool read_value(const Ruv::RBuffer& buffer, T& value) {
    if (buffer.getLength() != sizeof(T)) return false;
    std::memcpy(&value, buffer.getData(), sizeof(T));
    return true;
}

// A parameter's value as a reader would want to see it: numbers, text and
// the codec of an image description decoded, other bytes as hexadecimal.
std::string parameter_text(const std::string& name, const Ruv::RBuffer& value) {
    uint32_t u32 = 0;
    uint8_t u8 = 0;
    double real = 0;
    if ((name == "video_profile" || name == "video_level") && read_value(value, u32))
        return std::to_string(u32);
    if ((name == "h264Profile" || name == "h264Level" || name == "b264Size") && read_value(value, u8))
        return std::to_string(unsigned(u8));
    if ((name == "clap_width" || name == "clap_height") && read_value(value, real))
        return kolmbase::string_with_format("%g", real);
    if (name == "reel_name")
        return "\"" + std::string(reinterpret_cast<const char*>(value.getData()), value.getLength()) +
               "\"";
    if (name.compare(0, 17, "image_description") == 0 && value.getLength() >= 8) {
        std::memcpy(&u32, value.getData() + 4, 4);
        return "codec " + fourcc_text(u32);
    }
    const size_t shown = value.getLength() < 32 ? value.getLength() : 32;
    return hex_bytes(value.getData(), shown) + (shown < value.getLength() ? "..." : "");
}

}  // namespace

void print_module(std::ostream& out, const std::string& path) { out << "module: " << path << "\n"; }

void print_component(std::ostream& out, const Ruv::CM::RImporter& importer) {
    const char* type = importer.type();
    out << "component: " << (type ? type : "(no type)") << "\n";
}

void print_status(std::ostream& out, const Ruv::CM::CComponentStatus& status) {
    out << "status: code " << status.getStatusCode() << ", frames " << status.getNumberOfFrames()
        << ", bytes " << status.getNumberOfBytes() << "\n";
}

void print_movie(std::ostream& out, const std::string& movie, const Ruv::CM::RMovieInfo& info) {
    out << kolmbase::string_with_format("movie: %s, %.3f s, %llu bytes, %u track(s)\n",
                                        movie.c_str(), info.getDuration(),
                                        static_cast<unsigned long long>(info.getSize()),
                                        unsigned(info.getTrackCount()));
    for (size_t i = 0; i < info.getTrackCount(); ++i) {
        Ruv::RPtr<Ruv::CM::RTrackInfo> track = info.getTrack(i);
        out << kolmbase::string_with_format(
            "  track %u: %s %s, start %.6f s, duration %.6f s, time code %s",
            track->getIndex(), track->getKind() == Ruv::CM::RTrackInfo::kVideo ? "video" : "audio",
            fourcc_text(track->getDataFormat()).c_str(), track->getStart().getSecondsAsDouble(),
            track->getDuration().getSecondsAsDouble(), track->getTimeCode().to_string().c_str());
        if (track->getKind() == Ruv::CM::RTrackInfo::kVideo) {
            const auto& video = static_cast<const Ruv::CM::RVideoTrackInfo&>(*track);
            out << kolmbase::string_with_format(", %ux%u, %.4f frames/s", video.getWidth(),
                                                video.getHeight(), video.getFrameRate().toDouble());
            if (video.getVariant()) out << ", variant " << fourcc_text(video.getVariant());
        } else {
            const auto& audio = static_cast<const Ruv::CM::RAudioTrackInfo&>(*track);
            out << kolmbase::string_with_format(", %u channel(s), %u bits, %.0f Hz",
                                                audio.getChannels(), audio.getBitsPerChannel(),
                                                audio.getSampleRate().toDouble());
        }
        out << "\n";
    }
}

void print_stream(std::ostream& out, unsigned queue, const Ruv::CM::RDescription& description) {
    if (description.getKind() == Ruv::CM::RDescription::kVideo) {
        const auto& video = static_cast<const Ruv::CM::RVideoDescription&>(description);
        out << kolmbase::string_with_format(
            "stream %u: video %ux%u, display %gx%g, %.4f frames/s, field mode %u\n", queue,
            video.getWidth(), video.getHeight(), double(video.getDisplayWidth()),
            double(video.getDisplayHeight()), video.getFrameRate(), video.getFieldMode());
    } else {
        const auto& audio = static_cast<const Ruv::CM::RAudioDescription&>(description);
        out << kolmbase::string_with_format(
            "stream %u: audio %u channel(s), %u bits (%u bytes) per sample, %.0f Hz\n", queue,
            audio.getChannels(), audio.getBitsPerSample(), audio.getBytesPerSample(),
            audio.getSampleRate());
    }
    for (size_t i = 0; i < description.getParameterCount(); ++i) {
        const Ruv::RBuffer* value = description.getParameter(i);
        if (!value) continue;
        const std::string& name = description.getParameterName(i);
        out << "  " << name << " (" << value->getLength()
            << " bytes): " << parameter_text(name, *value) << "\n";
    }
}

void print_summary(std::ostream& out, const std::vector<queue_summary>& queues,
                   const Ruv::CM::CComponentStatus& status, int64_t bytes_read) {
    for (const queue_summary& q : queues) {
        out << kolmbase::string_with_format(
            "queue %u: %llu frame(s), %llu bytes, %.6f s to %.6f s (%.6f s)", q.queue,
            static_cast<unsigned long long>(q.frames), static_cast<unsigned long long>(q.bytes),
            q.first_time, q.end_time, q.frames ? q.end_time - q.first_time : 0.0);
        if (q.has_timecode)
            out << ", time code " << q.first_timecode.to_string() << " to "
                << q.last_timecode.to_string();
        out << "\n";
    }
    print_status(out, status);
    // Only an import through the data handler reads the host's input stream.
    if (bytes_read > 0)
        out << "input stream: " << bytes_read << " bytes read through the data handler\n";
}

void print_error(std::ostream& err, const std::string& message) {
    err << "ruv-import: " << message << "\n";
}

std::string exception_text(const Ruv::CException& exception) {
    return exception.getMessage().str();
}

}  // namespace ruv_import
