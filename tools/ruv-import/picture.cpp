#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ruv_import {

namespace {

constexpr uint32_t kVideo = uint32_t('v') << 24 | uint32_t('i') << 16 | uint32_t('d') << 8 | 'e';

// A big-endian 32-bit float.
float float_at(const unsigned char* p) {
    const uint32_t bits = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const movie_edit* first_shown_edit(const track_time_line& track) {
    for (const movie_edit& e : track.edits)
        if (e.media_time >= 0 && e.duration > 0) return &e;
    return nullptr;
}

}  // namespace

void picture_recorder::set_movie(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.movie = name;
}

void picture_recorder::set_time_line(const movie_time_line& time_line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.has_time_line = time_line.time_scale != 0;
    m_data.time_line = time_line;
    double length = 0;
    if (m_data.has_time_line) {
        for (const track_time_line& t : time_line.tracks)
            length = std::max(length, double(t.end) / time_line.time_scale);
    }
    if (length > 0 && std::isfinite(length)) m_data.level_span = length / kLevelSpans;
}

void picture_recorder::set_info_duration(double seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.info_duration = seconds;
}

void picture_recorder::set_video_description(const Ruv::CM::RVideoDescription& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.video_exported = true;
    for (size_t i = 0; i < description.getParameterCount(); ++i) {
        const Ruv::RBuffer* value = description.getParameter(i);
        if (value && description.getParameterName(i) == "reel_name")
            m_data.reel_name.assign(reinterpret_cast<const char*>(value->getData()),
                                    value->getLength());
    }
}

void picture_recorder::set_audio_description(const Ruv::CM::RAudioDescription& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.sound_exported = true;
    // The importer delivers interleaved big-endian 32-bit floats, whatever
    // the sample size the description gives (that of the movie's sound).
    m_channels = description.getChannels();
}

void picture_recorder::add_frame(const Ruv::CM::RFrame& frame) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (frame.getKind() == Ruv::CM::RFrame::kAudio) {
        add_levels(frame);
        return;
    }
    const auto& video = static_cast<const Ruv::CM::RVideoFrame&>(frame);
    if (m_data.frames.empty() && m_data.frames_left_out == 0)
        m_data.time_code = video.getTimeCode().to_string();
    if (m_data.frames.size() >= kMaxFrames) {
        ++m_data.frames_left_out;
        return;
    }
    picture_frame f;
    f.number = frame.getSequenceNumber();
    f.time = frame.getTimeStamp().getSecondsAsDouble();
    f.decode = frame.getDecodeTime().getSecondsAsDouble();
    f.duration = frame.getDuration().getSecondsAsDouble();
    f.key = video.getFrameType() == Ruv::CM::RVideoFrame::kKeyFrame;
    m_data.frames.push_back(f);
}

void picture_recorder::add_levels(const Ruv::CM::RFrame& frame) {
    const double time = frame.getTimeStamp().getSecondsAsDouble();
    const double duration = frame.getDuration().getSecondsAsDouble();
    if (!m_data.sound_delivered || time + duration > m_data.sound_end)
        m_data.sound_end = time + duration;
    m_data.sound_delivered = true;
    if (m_channels == 0 || !std::isfinite(time) || !std::isfinite(duration)) return;
    const size_t count = frame.getDataLength() / (4 * size_t(m_channels));
    if (count == 0) return;
    // Sound far past the time line's length would make ever more spans:
    // halve their number, doubling their length, whenever they grow too
    // many.
    while (m_data.levels.size() > 4 * size_t(kLevelSpans)) {
        std::map<int64_t, level_range> halved;
        for (const auto& level : m_data.levels) {
            const int64_t index = level.first >= 0 ? level.first / 2 : -((1 - level.first) / 2);
            auto found = halved.find(index);
            if (found == halved.end()) {
                halved[index] = level.second;
            } else {
                found->second.low = std::min(found->second.low, level.second.low);
                found->second.high = std::max(found->second.high, level.second.high);
            }
        }
        m_data.levels.swap(halved);
        m_data.level_span *= 2;
    }
    const unsigned char* data = frame.getData();
    const double step = duration / double(count);
    int64_t span = INT64_MIN;
    level_range* range = nullptr;
    for (size_t i = 0; i < count; ++i) {
        const double at = (time + step * double(i)) / m_data.level_span;
        if (!(std::fabs(at) < 1e15)) continue;
        const int64_t index = int64_t(std::floor(at));
        if (index != span) {
            const bool fresh = m_data.levels.find(index) == m_data.levels.end();
            range = &m_data.levels[index];
            if (fresh) *range = level_range{1e30f, -1e30f};
            span = index;
        }
        for (unsigned c = 0; c < m_channels; ++c) {
            const float v = float_at(data + 4 * (i * m_channels + c));
            if (!std::isfinite(v)) continue;
            range->low = std::min(range->low, v);
            range->high = std::max(range->high, v);
        }
    }
}

void picture_recorder::add_warning(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_data.warnings.push_back(text);
}

void picture_recorder::set_status(const std::string& text, bool failed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_data.failed) return;  // the first failure is the one that counts
    m_data.status = text;
    m_data.failed = failed;
}

picture_data picture_recorder::data() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_data;
}

const track_time_line* delivered_video_track(const movie_time_line& time_line) {
    for (const track_time_line& t : time_line.tracks)
        if (t.handler == kVideo && t.enabled && t.shows_media) return &t;
    return nullptr;
}

double import_shift(const movie_time_line& time_line) {
    const track_time_line* video = delivered_video_track(time_line);
    if (!video || video->media_scale == 0 || time_line.time_scale == 0) return 0.0;
    const movie_edit* edit = first_shown_edit(*video);
    if (!edit) return 0.0;
    const double media_scale = double(video->media_scale);
    const double edit_start = double(edit->media_time) / media_scale;
    const double edit_time = double(edit->start) / double(time_line.time_scale);
    const double sync =
        video->has_sync_start ? double(video->sync_start) / media_scale : edit_start;
    return edit_start - edit_time - sync;
}

std::vector<frame_kind> frame_kinds(const picture_data& data) {
    std::vector<frame_kind> kinds;
    kinds.reserve(data.frames.size());
    const track_time_line* video =
        data.has_time_line ? delivered_video_track(data.time_line) : nullptr;
    std::vector<const movie_edit*> edits;
    if (video)
        for (const movie_edit& e : video->edits)
            if (e.media_time >= 0 && e.duration > 0) edits.push_back(&e);
    if (edits.empty()) {
        for (const picture_frame& f : data.frames)
            kinds.push_back(f.key ? frame_kind::key : frame_kind::other);
        return kinds;
    }
    const double scale = double(data.time_line.time_scale);
    const double media_scale = double(video->media_scale);
    const double shift = import_shift(data.time_line);
    auto start = [&](size_t k) { return double(edits[k]->start) / scale; };
    auto end = [&](size_t k) { return double(edits[k]->start + edits[k]->duration) / scale; };
    auto continues = [&](size_t k) {
        const movie_edit& a = *edits[k];
        const movie_edit& b = *edits[k + 1];
        if (a.start + a.duration != b.start || media_scale == 0) return false;
        const double a_end = double(a.media_time) / media_scale + double(a.duration) / scale;
        return std::fabs(double(b.media_time) / media_scale - a_end) < 1e-6;
    };
    constexpr double kEpsilon = 1e-6;
    // The first edit after `after` not over at movie time t.
    auto edit_after = [&](size_t after, double t) {
        size_t j = after + 1;
        while (j < edits.size() && end(j) <= t + kEpsilon) ++j;
        return j;
    };
    size_t run = 0;  // the edit whose run of frames is coming
    size_t k = 0;    // the edit the last frame belonged to
    double latest = -1e300;
    for (const picture_frame& f : data.frames) {
        const double t = f.time - shift;
        if (f.key && t < latest - kEpsilon) {
            const size_t j = edit_after(run, t);
            if (j < edits.size()) run = k = j;
        } else if (f.key && t >= end(k) - kEpsilon) {
            const size_t j = edit_after(k, t);
            if (j < edits.size() && start(j) <= t + kEpsilon) run = k = j;
        }
        latest = std::max(latest, t);
        while (t >= end(k) - kEpsilon && k + 1 < edits.size() && continues(k)) ++k;
        const bool shown = t + f.duration > start(k) + kEpsilon && t < end(k) - kEpsilon;
        kinds.push_back(!shown  ? frame_kind::decode_only
                        : f.key ? frame_kind::key
                                : frame_kind::other);
    }
    return kinds;
}

}  // namespace ruv_import
