#include "audio/track_timeline.h"

#include <algorithm>
#include <cmath>

#include "audio/checked_math.h"

namespace qtrt::audio {

using qt_format::rescale_time;

namespace {

// Edits that play their media faster than this are silent.
constexpr double kMaxEditRate = 8.0;
// Source frames the resampler reads for one stretch of output.
constexpr double kMaxSourceSpan = 65536.0;

}  // namespace

track_timeline::track_timeline(const track_model& track, TimeScale movie_time_scale, sound_track_source source,
                               double output_rate)
    : m_source(std::move(source)) {
    const double source_rate = m_source.format().sample_rate;
    const TimeScale media_scale = track.media.time_scale > 0 ? track.media.time_scale : TimeScale(1);
    int64_t movie_time = 0;
    bool any_rate_change = false;
    for (const edit_entry& e : track.edits) {
        segment s{};
        s.out_start = rescale_time(movie_time, movie_time_scale, output_rate);
        // Where the edit starts on the track's own time line, in whole frames
        // of its own rate: the output frame it starts at is rounded to the
        // output rate, so a resampled edit starts part of a source frame in.
        const int64_t own_start = rescale_time(movie_time, movie_time_scale, source_rate);
        movie_time += std::max<int64_t>(e.track_duration, 0);
        s.out_end = rescale_time(movie_time, movie_time_scale, output_rate);
        const double rate = e.rate / 65536.0;
        s.empty = e.empty() || !(rate > 0.0) || rate > kMaxEditRate;
        if (!s.empty) {
            const long double start = static_cast<long double>(e.media_time) * source_rate / media_scale;
            s.source_start = double(start);
            s.step = source_rate / output_rate * rate;
            s.direct = s.step == 1.0 && start == std::floor(start);
            if (!s.direct)
                s.source_start += double((static_cast<long double>(s.out_start) * source_rate / output_rate -
                                          own_start) * rate);
            any_rate_change = any_rate_change || !s.direct;
        }
        if (s.out_end > s.out_start) m_segments.push_back(s);
    }
    m_end_frame = m_segments.empty() ? 0 : m_segments.back().out_end;
    if (any_rate_change) m_resampler = std::make_unique<sinc_resampler>(source_rate, output_rate);
}

OSErr track_timeline::render(int64_t first, size_t count, float* dst) const {
    const uint32_t ch = channels();
    std::fill(dst, dst + count * ch, 0.0f);
    const int64_t end = first + int64_t(count);
    // Segments lie in order on the time line: start at the last one that
    // begins at or before the first frame.
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), first,
                               [](int64_t f, const segment& s) { return f < s.out_start; });
    if (it != m_segments.begin()) --it;
    for (; it != m_segments.end() && it->out_start < end; ++it) {
        const segment& s = *it;
        const int64_t a = std::max(first, s.out_start);
        const int64_t b = std::min(end, s.out_end);
        if (a >= b || s.empty) continue;
        const OSErr err = render_segment(s, a, size_t(b - a), dst + size_t(a - first) * ch);
        if (err != noErr) return err;
    }
    return noErr;
}

OSErr track_timeline::render_segment(const segment& s, int64_t first, size_t count, float* dst) const {
    const double offset = double(first - s.out_start);
    if (s.direct) return m_source.read_frames(int64_t(s.source_start) + (first - s.out_start), count, dst);

    // Long stretches go in parts, so that the source frames read for one part
    // stay bounded whatever the step.
    // The step may be as small as a rate allows: the part is counted in
    // floating point and cut to the stretch before it becomes a count.
    const double span = kMaxSourceSpan / s.step;
    const size_t part = span >= double(count) ? count : size_t(std::max(1.0, span));
    const uint32_t ch = channels();
    for (size_t done = 0; done < count; done += part) {
        const OSErr err = resample_part(s, s.source_start + (offset + double(done)) * s.step,
                                        std::min(part, count - done), dst + done * ch);
        if (err != noErr) return err;
    }
    return noErr;
}

OSErr track_timeline::resample_part(const segment& s, double start, size_t count, float* dst) const {
    // The resampler's step is the rates' ratio; an edit's own rate scales it.
    const double last = start + double(count - 1) * s.step;
    const int64_t reach = m_resampler->reach();
    const int64_t src_first = int64_t(std::floor(start)) - reach;
    const int64_t src_last = int64_t(std::floor(last)) + reach;
    const size_t src_count = size_t(src_last - src_first + 1);
    const uint32_t ch = channels();
    const size_t floats = float_count(src_last - src_first + 1, ch);
    if (floats == 0) return memFullErr;  // parts keep the span bounded: only a broken step gets here
    m_scratch.resize(floats);
    const OSErr err = m_source.read_frames(src_first, src_count, m_scratch.data());
    if (err != noErr) return err;
    if (s.step == m_resampler->step()) {
        m_resampler->render(m_scratch.data(), src_first, src_count, ch, start, count, dst);
        return noErr;
    }
    for (size_t k = 0; k < count; ++k)
        m_resampler->render(m_scratch.data(), src_first, src_count, ch, start + double(k) * s.step, 1,
                            dst + k * ch);
    return noErr;
}

}  // namespace qtrt::audio
