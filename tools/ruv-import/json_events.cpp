#include "json_events.h"

#include "json_line.h"

namespace ruv_import {

namespace {

std::string track_object(const Ruv::CM::RTrackInfo& track) {
    json_object o;
    o.add_unsigned("index", track.getIndex());
    o.add_string("kind", track.getKind() == Ruv::CM::RTrackInfo::kVideo ? "video" : "audio");
    o.add_fourcc("format", track.getDataFormat());
    o.add_number("start", track.getStart().getSecondsAsDouble());
    o.add_number("duration", track.getDuration().getSecondsAsDouble());
    o.add_string("timecode", track.getTimeCode().to_string());
    if (track.getKind() == Ruv::CM::RTrackInfo::kVideo) {
        const auto& video = static_cast<const Ruv::CM::RVideoTrackInfo&>(track);
        o.add_unsigned("width", video.getWidth());
        o.add_unsigned("height", video.getHeight());
        o.add_number("frame_rate", video.getFrameRate().toDouble());
        o.add("variant", video.getVariant() ? json_fourcc(video.getVariant()) : "\"\"");
    } else {
        const auto& audio = static_cast<const Ruv::CM::RAudioTrackInfo&>(track);
        o.add_unsigned("channels", audio.getChannels());
        o.add_unsigned("bits", audio.getBitsPerChannel());
        o.add_number("sample_rate", audio.getSampleRate().toDouble());
    }
    return o.text();
}

std::string parameter_list(const Ruv::CM::RDescription& description) {
    std::string list = "[";
    for (size_t i = 0; i < description.getParameterCount(); ++i) {
        const Ruv::RBuffer* value = description.getParameter(i);
        if (i) list += ',';
        list += "[" + json_string(description.getParameterName(i)) + "," +
                json_string(value ? hex_bytes(value->getData(), value->getLength()) : "") + "]";
    }
    return list + "]";
}

}  // namespace

std::string hex_bytes(const unsigned char* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::string movie_event(const Ruv::CM::RMovieInfo& info) {
    std::string tracks = "[";
    for (size_t i = 0; i < info.getTrackCount(); ++i) {
        if (i) tracks += ',';
        tracks += track_object(*info.getTrack(i));
    }
    tracks += "]";
    return json_object()
        .add_string("event", "movie")
        .add_number("duration", info.getDuration())
        .add_unsigned("size", info.getSize())
        .add("tracks", tracks)
        .text();
}

std::string stream_event(unsigned queue, const Ruv::CM::RDescription& description) {
    json_object o;
    o.add_string("event", "stream").add_unsigned("queue", queue);
    if (description.getKind() == Ruv::CM::RDescription::kVideo) {
        const auto& video = static_cast<const Ruv::CM::RVideoDescription&>(description);
        o.add_string("kind", "video")
            .add_unsigned("width", video.getWidth())
            .add_unsigned("height", video.getHeight())
            .add_number("display_width", video.getDisplayWidth())
            .add_number("display_height", video.getDisplayHeight())
            .add_number("frame_rate", video.getFrameRate())
            .add_unsigned("field_mode", video.getFieldMode());
    } else {
        const auto& audio = static_cast<const Ruv::CM::RAudioDescription&>(description);
        o.add_string("kind", "audio")
            .add_unsigned("channels", audio.getChannels())
            .add_unsigned("bits_per_sample", audio.getBitsPerSample())
            .add_unsigned("bytes_per_sample", audio.getBytesPerSample())
            .add_number("sample_rate", audio.getSampleRate());
    }
    return o.add("parameters", parameter_list(description)).text();
}

std::string frame_event(unsigned queue, const Ruv::CM::RFrame& frame) {
    json_object o;
    o.add_string("event", "frame")
        .add_unsigned("queue", queue)
        .add_unsigned("number", frame.getSequenceNumber())
        .add_number("time", frame.getTimeStamp().getSecondsAsDouble())
        .add_number("decode_time", frame.getDecodeTime().getSecondsAsDouble())
        .add_number("duration", frame.getDuration().getSecondsAsDouble())
        .add_unsigned("size", frame.getDataLength())
        .add_fourcc("format", frame.getDataFormat());
    if (frame.getKind() == Ruv::CM::RFrame::kVideo) {
        const auto& video = static_cast<const Ruv::CM::RVideoFrame&>(frame);
        o.add_fourcc("type", video.getFrameType());
        o.add_string("timecode", video.getTimeCode().to_string());
    }
    return o.text();
}

std::string end_event(const Ruv::CM::CComponentStatus& status, int64_t bytes_read) {
    std::string counts = json_object()
                             .add_unsigned("code", status.getStatusCode())
                             .add_unsigned("frames", status.getNumberOfFrames())
                             .add_unsigned("bytes", status.getNumberOfBytes())
                             .text();
    return json_object()
        .add_string("event", "end")
        .add("status", counts)
        .add_unsigned("bytes_read", uint64_t(bytes_read > 0 ? bytes_read : 0))
        .text();
}

std::string error_event(const std::string& message) {
    return json_object().add_string("event", "error").add_string("message", message).text();
}

std::string warning_event(const std::string& message) {
    return json_object().add_string("event", "warning").add_string("message", message).text();
}

}  // namespace ruv_import
