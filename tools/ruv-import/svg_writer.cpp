#include "svg_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "lib/kolmbase/strings.h"

namespace ruv_import {

namespace {

using kolmbase::string_with_format;

constexpr double kWidth = 1280;
constexpr double kLeft = 190;  // lane labels
constexpr double kRight = 40;
constexpr double kPlot = kWidth - kLeft - kRight;
constexpr double kLaneHeight = 30;
constexpr double kTicksHeight = 34;
constexpr double kOrderHeight = 26;
constexpr double kEnvelopeHeight = 72;
constexpr uint32_t kVideo = uint32_t('v') << 24 | uint32_t('i') << 16 | uint32_t('d') << 8 | 'e';
constexpr uint32_t kSound = uint32_t('s') << 24 | uint32_t('o') << 16 | uint32_t('u') << 8 | 'n';

std::string seconds(double t) { return string_with_format("%.3f s", t); }
std::string number(double v) { return string_with_format("%.9g", v); }
std::string pixel(double v) { return string_with_format("%.2f", v); }

// A movie time span of a track that holds no media: an empty edit, or the
// part of an edit past the end of its media.
struct span {
    double start;
    double end;
};

std::vector<span> silent_spans(const track_time_line& track, double scale) {
    std::vector<span> spans;
    const double media_end =
        track.media_scale ? double(track.media_duration) / double(track.media_scale) : 0.0;
    for (const movie_edit& e : track.edits) {
        const double start = double(e.start) / scale;
        const double end = double(e.start + e.duration) / scale;
        if (e.media_time < 0) {
            spans.push_back({start, end});
            continue;
        }
        if (track.media_scale == 0 || e.rate <= 0) continue;
        const double media_start = double(e.media_time) / double(track.media_scale);
        const double shown_end = start + (media_end - media_start) / e.rate;
        if (shown_end < end) spans.push_back({std::max(start, shown_end), end});
    }
    return spans;
}

// The time a warning names ("... at 1.234 s ..."): a media time for a
// video sample, else a movie time (the sound's).
bool named_time(const std::string& text, double& time) {
    for (size_t at = text.find("at "); at != std::string::npos; at = text.find("at ", at + 1)) {
        if (at > 0 && text[at - 1] != ' ') continue;
        const char* begin = text.c_str() + at + 3;
        char* end = nullptr;
        const double value = std::strtod(begin, &end);
        if (end != begin && std::strncmp(end, " s", 2) == 0 && std::isfinite(value)) {
            time = value;
            return true;
        }
    }
    return false;
}

class drawing {
public:
    drawing(const picture_data& data) : m_data(data) {
        m_scale = data.has_time_line ? double(data.time_line.time_scale) : 0.0;
        m_shift = data.has_time_line ? import_shift(data.time_line) : 0.0;
        m_kinds = frame_kinds(data);
        if (data.has_time_line) m_video = delivered_video_track(data.time_line);
        measure();
    }

    std::string svg();

private:
    // The movie time of a warning, when it names one: a video sample's media
    // time placed by the video's first edit that shows media.
    bool warning_time(const std::string& text, double& time) const {
        if (!named_time(text, time)) return false;
        if (text.find("video sample at ") == std::string::npos || !m_video || !m_video->media_scale)
            return true;
        for (const movie_edit& e : m_video->edits) {
            if (e.media_time < 0 || e.duration <= 0) continue;
            time += double(e.start) / m_scale - double(e.media_time) / m_video->media_scale;
            break;
        }
        return true;
    }
    void measure();
    double x(double movie_time) const {
        return kLeft + (movie_time - m_t0) / (m_t1 - m_t0) * kPlot;
    }
    void header();
    void axis();
    void lane(const track_time_line& track, size_t index);
    void ticks();
    void decode_order();
    void envelope(const track_time_line* track);
    void markers(double top, double bottom);
    void legend();
    void notes();
    void text(double tx, double ty, const std::string& cls, const std::string& content,
              const std::string& extra = "") {
        m_body += "<text class=\"" + cls + "\" x=\"" + pixel(tx) + "\" y=\"" + pixel(ty) + "\"" +
                  extra + ">" + xml_text(content) + "</text>\n";
    }
    // Text over as many lines as it needs, from m_y on.
    void wrapped(double tx, const std::string& cls, const std::string& content) {
        constexpr size_t kColumns = 180;
        size_t at = 0;
        do {
            size_t end = std::min(content.size(), at + kColumns);
            if (end < content.size()) {
                const size_t space = content.rfind(' ', end);
                if (space != std::string::npos && space > at) end = space;
            }
            text(tx, m_y, cls, content.substr(at, end - at));
            m_y += 18;
            at = end + (end < content.size() && content[end] == ' ' ? 1 : 0);
        } while (at < content.size());
    }
    void label(double y, const std::string& first, const std::string& second) {
        text(8, y + 13, "label", first);
        if (!second.empty()) text(8, y + 26, "label small", second);
    }

    const picture_data& m_data;
    double m_scale = 0;
    double m_shift = 0;
    double m_t0 = 0;
    double m_t1 = 1;
    double m_derived = 0;  // the movie's duration as its tracks' edits give it
    double m_reached = 0;  // the latest movie time the import delivered
    std::vector<frame_kind> m_kinds;
    const track_time_line* m_video = nullptr;
    std::string m_body;
    double m_y = 0;
};

void drawing::measure() {
    double low = 0, high = 0;
    if (m_scale > 0) {
        for (const track_time_line& t : m_data.time_line.tracks)
            m_derived = std::max(m_derived, double(t.end) / m_scale);
        const int64_t header = std::max<int64_t>(m_data.time_line.duration, 0);
        high = std::max(m_derived, double(header) / m_scale);
    }
    if (std::isfinite(m_data.info_duration)) high = std::max(high, m_data.info_duration);
    bool any = false;
    for (const picture_frame& f : m_data.frames) {
        if (!std::isfinite(f.time) || !std::isfinite(f.duration)) continue;
        low = std::min(low, std::min(f.time, f.decode) - m_shift);
        if (std::isfinite(f.decode)) high = std::max(high, f.decode - m_shift);
        m_reached = any ? std::max(m_reached, f.time + f.duration - m_shift)
                        : f.time + f.duration - m_shift;
        any = true;
    }
    if (m_data.sound_delivered && std::isfinite(m_data.sound_end)) {
        m_reached =
            any ? std::max(m_reached, m_data.sound_end - m_shift) : m_data.sound_end - m_shift;
        any = true;
    }
    if (!m_data.levels.empty())
        low = std::min(low, double(m_data.levels.begin()->first) * m_data.level_span - m_shift);
    high = std::max(high, m_reached);
    if (!(high > low)) high = low + 1;
    const double margin = (high - low) * 0.01;
    m_t0 = low < -1e-6 ? low - margin : 0;
    m_t1 = high + margin;
}

void drawing::header() {
    text(8, 24, "title", "ruv-import: " + m_data.movie);
    m_y = 44;
    wrapped(8, m_data.failed ? "status failed" : "status", m_data.status);
    std::string facts;
    if (m_scale > 0) {
        facts = "movie time scale " + std::to_string(m_data.time_line.time_scale) + ", duration " +
                seconds(m_derived) + " from the tracks";
        // -1: a header written before the movie's length was known.
        const double header = double(m_data.time_line.duration) / m_scale;
        if (m_data.time_line.duration >= 0 && std::fabs(header - m_derived) * m_scale >= 1)
            facts += ", " + seconds(header) + " in the header";
        facts += string_with_format("; import time = movie time %s %.3f s", m_shift < 0 ? "-" : "+",
                                    std::fabs(m_shift));
    } else {
        facts = "the movie's time line cannot be read: no lanes";
    }
    text(8, m_y, "facts", facts);
    if (!m_data.time_code.empty() || !m_data.reel_name.empty()) m_y += 18;
    double tx = 8;
    if (!m_data.time_code.empty()) {
        text(tx, m_y, "timecode", "time code of the first frame " + m_data.time_code);
        tx += 300;
    }
    if (!m_data.reel_name.empty()) text(tx, m_y, "reel", "reel name \"" + m_data.reel_name + "\"");
    m_y += 12;
}

void drawing::axis() {
    const double range = m_t1 - m_t0;
    double step = std::pow(10.0, std::floor(std::log10(range / 10)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (range / (step * factor) <= 12) {
            step *= factor;
            break;
        }
    }
    const double y = m_y + 24;
    m_body += "<line class=\"axis\" x1=\"" + pixel(kLeft) + "\" y1=\"" + pixel(y) + "\" x2=\"" +
              pixel(kLeft + kPlot) + "\" y2=\"" + pixel(y) + "\"/>\n";
    for (double t = std::ceil(m_t0 / step) * step; t <= m_t1; t += step) {
        m_body += "<line class=\"axis\" x1=\"" + pixel(x(t)) + "\" y1=\"" + pixel(y) + "\" x2=\"" +
                  pixel(x(t)) + "\" y2=\"" + pixel(y + 5) + "\"/>\n";
        text(x(t), y - 4, "axis-label", number(std::fabs(t) < step / 1e6 ? 0 : t) + " s",
             " text-anchor=\"middle\"");
    }
    text(8, y + 4, "label small", "movie time");
    bool timed = false;
    double t = 0;
    for (const std::string& w : m_data.warnings) timed |= warning_time(w, t);
    m_y = y + (timed ? 30 : 14);  // room for the warnings' marks
}

void drawing::lane(const track_time_line& track, size_t index) {
    const bool video = track.handler == kVideo, sound = track.handler == kSound;
    const bool exported = (video && &track == m_video && m_data.video_exported) ||
                          (sound && track.enabled && m_data.sound_exported);
    label(m_y,
          "track " + std::to_string(index + 1) + " '" +
              kolmbase::string_with_fourcc(track.handler) + "' id " + std::to_string(track.id),
          std::string(track.enabled ? "enabled" : "disabled") +
              (exported ? ", exported" : ", not exported"));
    m_body += "<rect class=\"lane\" x=\"" + pixel(kLeft) + "\" y=\"" + pixel(m_y) + "\" width=\"" +
              pixel(kPlot) + "\" height=\"" + pixel(kLaneHeight) + "\" data-handler=\"" +
              xml_text(kolmbase::string_with_fourcc(track.handler)) + "\"/>\n";
    const std::string kind = video ? " video" : sound ? " sound" : " other";
    for (const movie_edit& e : track.edits) {
        const double start = double(e.start) / m_scale;
        const double end = double(e.start + e.duration) / m_scale;
        const double x0 = x(start), width = std::max(0.5, x(end) - x0);
        const bool empty = e.media_time < 0;
        const double media = track.media_scale ? double(e.media_time) / track.media_scale : 0.0;
        const std::string caption =
            empty ? "empty" : "media " + seconds(media) + " \xc3\x97" + number(e.rate);
        m_body += "<rect class=\"" + std::string(empty ? "empty-edit" : "edit") + kind + "\" x=\"" +
                  pixel(x0) + "\" y=\"" + pixel(m_y + 4) + "\" width=\"" + pixel(width) +
                  "\" height=\"" + pixel(kLaneHeight - 8) + "\" data-start=\"" + number(start) +
                  "\" data-end=\"" + number(end) + "\" data-media-time=\"" +
                  (empty ? "-1" : number(media)) + "\" data-rate=\"" + number(e.rate) +
                  "\"><title>" + xml_text(seconds(start) + " to " + seconds(end) + ": " + caption) +
                  "</title></rect>\n";
        if (width > 7.0 * double(caption.size()))
            text(x0 + 4, m_y + kLaneHeight / 2 + 4, empty ? "edit-label empty" : "edit-label",
                 caption);
    }
    if (!video && !sound && track.edits.empty())
        text(kLeft + 4, m_y + 19, "edit-label", "no edits");
    m_y += kLaneHeight + 4;
}

void drawing::ticks() {
    label(m_y, "video frames",
          std::to_string(m_data.frames.size() + m_data.frames_left_out) + " delivered");
    m_body += "<g class=\"frames\">\n";
    const double base = m_y + kTicksHeight - 4;
    for (size_t i = 0; i < m_data.frames.size(); ++i) {
        const picture_frame& f = m_data.frames[i];
        const double t = f.time - m_shift;
        const char* cls = m_kinds[i] == frame_kind::key     ? "frame key"
                          : m_kinds[i] == frame_kind::other ? "frame other"
                                                            : "frame decode-only";
        const double height = m_kinds[i] == frame_kind::key ? 26 : 17;
        m_body += string_with_format(
            "<line class=\"%s\" x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" data-number=\"%u\" "
            "data-time=\"%.9g\" data-decode=\"%.9g\"/>\n",
            cls, x(t), base, x(t), base - height, f.number, t, f.decode - m_shift);
    }
    m_body += "</g>\n";
    m_y += kTicksHeight + 2;
}

// Each frame as a line from its decode time (below) to its display time
// (above): crossing lines are frames shown in another order than decoded.
void drawing::decode_order() {
    bool differs = false;
    for (size_t i = 1; i < m_data.frames.size() && !differs; ++i)
        differs = m_data.frames[i].time < m_data.frames[i - 1].time;
    if (!differs) return;
    label(m_y, "decode order", "decode time to display time");
    std::string path;
    for (const picture_frame& f : m_data.frames)
        path += "M" + pixel(x(f.decode - m_shift)) + " " + pixel(m_y + kOrderHeight - 3) + "L" +
                pixel(x(f.time - m_shift)) + " " + pixel(m_y + 1);
    m_body += "<path class=\"decode-order\" d=\"" + path + "\"/>\n";
    m_y += kOrderHeight + 10;
}

void drawing::envelope(const track_time_line* track) {
    label(m_y, "sound level", m_data.sound_delivered ? "min/max per column" : "none delivered");
    const double top = m_y, middle = m_y + kEnvelopeHeight / 2;
    m_body += "<rect class=\"sound-row\" x=\"" + pixel(kLeft) + "\" y=\"" + pixel(top) +
              "\" width=\"" + pixel(kPlot) + "\" height=\"" + pixel(kEnvelopeHeight) + "\"/>\n";
    if (track && m_scale > 0) {
        for (const span& s : silent_spans(*track, m_scale))
            m_body += "<rect class=\"silence\" x=\"" + pixel(x(s.start)) + "\" y=\"" + pixel(top) +
                      "\" width=\"" + pixel(std::max(0.5, x(s.end) - x(s.start))) + "\" height=\"" +
                      pixel(kEnvelopeHeight) + "\" data-start=\"" + number(s.start) +
                      "\" data-end=\"" + number(s.end) + "\"/>\n";
    }
    std::vector<level_range> columns(size_t(kPlot) + 1, level_range{1e30f, -1e30f});
    for (const auto& level : m_data.levels) {
        const double t = (double(level.first) + 0.5) * m_data.level_span - m_shift;
        const double column = std::floor(x(t) - kLeft);
        if (!(column >= 0 && column < double(columns.size())) ||
            level.second.low > level.second.high)
            continue;
        level_range& c = columns[size_t(column)];
        c.low = std::min(c.low, level.second.low);
        c.high = std::max(c.high, level.second.high);
    }
    std::string path;
    size_t drawn = 0;
    const double half = kEnvelopeHeight / 2 - 2;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].low > columns[i].high) continue;
        const double high = std::min(1.0f, std::max(-1.0f, columns[i].high));
        const double low = std::min(1.0f, std::max(-1.0f, columns[i].low));
        path += "M" + pixel(kLeft + double(i) + 0.5) + " " + pixel(middle - high * half - 0.5) +
                "V" + pixel(middle - low * half + 0.5);
        ++drawn;
    }
    m_body += "<line class=\"zero\" x1=\"" + pixel(kLeft) + "\" y1=\"" + pixel(middle) +
              "\" x2=\"" + pixel(kLeft + kPlot) + "\" y2=\"" + pixel(middle) + "\"/>\n";
    if (drawn)
        m_body += "<path class=\"envelope\" data-columns=\"" + std::to_string(drawn) + "\" d=\"" +
                  path + "\"/>\n";
    m_y += kEnvelopeHeight + 4;
}

void drawing::markers(double top, double bottom) {
    auto mark = [&](const char* cls, double t, const std::string& caption, double ty) {
        m_body += "<line class=\"" + std::string(cls) + "\" x1=\"" + pixel(x(t)) + "\" y1=\"" +
                  pixel(top) + "\" x2=\"" + pixel(x(t)) + "\" y2=\"" + pixel(bottom) +
                  "\" data-time=\"" + number(t) + "\"/>\n";
        // Beside the line, on the side with room for the caption.
        const bool left = x(t) - kLeft > 7.0 * double(caption.size());
        text(x(t) + (left ? -4 : 4), ty, std::string(cls) + "-label", caption,
             left ? " text-anchor=\"end\"" : "");
    };
    if (m_scale > 0) {
        mark("duration", m_derived, "duration " + seconds(m_derived), bottom + 12);
        // -1: a header written before the movie's length was known.
        const double header = double(m_data.time_line.duration) / m_scale;
        if (m_data.time_line.duration >= 0 && std::fabs(header - m_derived) * m_scale >= 1)
            mark("header-duration", header, "header " + seconds(header), bottom + 24);
    }
    if (m_data.failed)
        mark("stopped", m_reached, "import stopped at " + seconds(m_reached), bottom + 12);
    // Warnings in the row above the lanes, their numbers gathered where
    // they fall on the same pixels.
    std::map<long, std::string> numbers;
    for (size_t i = 0; i < m_data.warnings.size(); ++i) {
        double t = 0;
        if (!warning_time(m_data.warnings[i], t)) continue;
        const double wx = x(std::min(std::max(t, m_t0), m_t1));
        m_body += string_with_format(
            "<path class=\"warning\" data-time=\"%.9g\" d=\"M%.2f %.2fl-6 -10h12z\"/>\n", t, wx,
            top - 2);
        std::string& label = numbers[std::lround(wx / 8)];
        label += (label.empty() ? "" : ",") + std::to_string(i + 1);
    }
    for (const auto& n : numbers) text(double(n.first) * 8 + 8, top - 4, "warning-label", n.second);
    m_y = bottom + 36;
}

void drawing::legend() {
    struct item {
        const char* cls;
        const char* caption;
        bool line;
    };
    const item items[] = {{"edit video", "edit (media time, rate)", false},
                          {"empty-edit", "empty edit", false},
                          {"frame key", "key frame", true},
                          {"frame other", "other frame", true},
                          {"frame decode-only", "decode only", true},
                          {"decode-order", "decode order", true},
                          {"silence", "no sound in the time line", false},
                          {"duration", "duration", true},
                          {"warning", "warning", false}};
    m_body += "<g class=\"legend\">\n";
    double lx = 8;
    for (const item& i : items) {
        if (i.line) {
            m_body += string_with_format(
                "<line class=\"%s swatch\" x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>\n",
                i.cls, lx + 6, m_y + 14, lx + 6, m_y);
        } else if (std::string(i.cls) == "warning") {
            m_body += string_with_format(
                "<path class=\"warning swatch\" d=\"M%.2f %.2fl-6 -10h12z\"/>\n", lx + 6, m_y + 12);
        } else {
            m_body += string_with_format(
                "<rect class=\"%s swatch\" x=\"%.2f\" y=\"%.2f\" width=\"14\" height=\"14\"/>\n",
                i.cls, lx, m_y);
        }
        text(lx + 18, m_y + 11, "legend-label", i.caption);
        lx += 24 + 6.6 * double(std::string(i.caption).size());
    }
    m_body += "</g>\n";
    m_y += 28;
}

void drawing::notes() {
    if (m_data.frames_left_out)
        text(8, m_y += 16, "note",
             std::to_string(m_data.frames_left_out) +
                 " later video frames are not drawn (only the "
                 "first " +
                 std::to_string(picture_recorder::kMaxFrames) + ")");
    m_y += 16;
    for (size_t i = 0; i < m_data.warnings.size(); ++i) {
        double t = 0;
        const bool timed = warning_time(m_data.warnings[i], t);
        wrapped(8, "warning-text",
                std::to_string(i + 1) + ". " + (timed ? "(" + seconds(t) + ") " : "") +
                    "warning: " + m_data.warnings[i]);
    }
}

std::string drawing::svg() {
    header();
    axis();
    const double lanes_top = m_y;
    bool ticks_drawn = false, envelope_drawn = false;
    if (m_scale > 0) {
        const auto& tracks = m_data.time_line.tracks;
        for (size_t i = 0; i < tracks.size(); ++i) {
            lane(tracks[i], i);
            if (&tracks[i] == m_video && !ticks_drawn) {
                ticks();
                decode_order();
                ticks_drawn = true;
            }
            if (tracks[i].handler == kSound && tracks[i].enabled && !envelope_drawn) {
                envelope(&tracks[i]);
                envelope_drawn = true;
            }
        }
    }
    if (!ticks_drawn && !m_data.frames.empty()) {
        ticks();
        decode_order();
    }
    if (!envelope_drawn && m_data.sound_delivered) envelope(nullptr);
    markers(lanes_top, m_y);
    legend();
    notes();
    const std::string style =
        "<style>\n"
        "text{font-family:sans-serif;font-size:12px;fill:#222}\n"
        ".title{font-size:16px;font-weight:bold}.status.failed{fill:#b00}\n"
        ".small,.axis-label,.edit-label,.legend-label{font-size:11px}\n"
        ".edit-label{fill:#fff}.edit-label.empty{fill:#666}\n"
        ".axis{stroke:#444}.lane{fill:#f3f3f3}.sound-row{fill:#fafafa}\n"
        ".edit{fill:#4a78b5;stroke:#234}.edit.sound{fill:#3f9a6a}.edit.other{fill:#999}\n"
        ".empty-edit{fill:none;stroke:#888;stroke-dasharray:4 3}\n"
        ".frame{stroke-width:1.2}.frame.key{stroke:#d62728}.frame.other{stroke:#1f77b4}\n"
        ".frame.decode-only{stroke:#b9b9b9;stroke-dasharray:2 2}\n"
        ".decode-order{fill:none;stroke:#8a5ab5;stroke-width:0.8}\n"
        ".silence{fill:#f4d9a0;opacity:0.8}.envelope{stroke:#2a7a4e;stroke-width:1}\n"
        ".zero{stroke:#ccc}\n"
        ".duration{stroke:#000;stroke-width:1.5}.header-duration{stroke:#c60;stroke-dasharray:5 "
        "3}\n"
        ".stopped{stroke:#b00;stroke-width:2}.stopped-label{fill:#b00}\n"
        ".warning{fill:#e8a200;stroke:#805000}.warning-text{fill:#805000}\n"
        "</style>\n";
    return string_with_format(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
               "viewBox=\"0 0 %.0f %.0f\">\n",
               kWidth, m_y, kWidth, m_y) +
           style + "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n" + m_body + "</svg>\n";
}

// The length of the well-formed UTF-8 sequence at text[i] (lead byte 0x80
// or more), or 0.
size_t utf8_length(const std::string& text, size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead >= 0xf0 && lead < 0xf5 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || (length == 3 && lead >= 0xf0) || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string xml_text(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = utf8_length(text, i);
            out += length ? text.substr(i, length) : "?";
            if (length) i += length - 1;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c >= 0x20 && c < 0x7f ? char(c) : '?';
        }
    }
    return out;
}

std::string picture_svg(const picture_data& data) { return drawing(data).svg(); }

bool write_picture(const picture_data& data, const std::string& path, std::string& error) {
    const std::string svg = picture_svg(data);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    const int saved = errno;
    if (std::fclose(file) != 0 || !written) {
        error = std::strerror(written ? errno : saved);
        return false;
    }
    return true;
}

}  // namespace ruv_import
