#include "importer/edit_run_cursor.h"

#include <algorithm>
#include <utility>

#include "importer/media_time.h"

namespace ns_movie_apple_qt {

void edit_run_cursor::start(std::vector<read_segment> runs, bool enter) {
    m_runs = std::move(runs);
    m_run = 0;
    m_decode_position = 0;
    m_end_position = 0;
    m_start_offset = 0;
    m_run_started = false;
    m_decode_shift = 0.0;
    // Where the last delivered sample ends counts only once one is.
    m_any_delivered = false;
    if (enter && !m_runs.empty()) enter_run(0);
}

void edit_run_cursor::enter_run(size_t index) {
    m_run = index;
    const read_segment& run = m_runs[index];
    TimeValue64 from = run.from;
    if (run.continues && m_any_delivered) from = std::max(from, m_delivered_to);
    m_start_offset = from < 0 ? -from : 0;
    m_decode_position = from < 0 ? 0 : from;
    m_end_position = run.last + 1 + m_start_offset;
    m_run_started = false;
}

TimeValue64 edit_run_cursor::search_from() {
    while (m_decode_position >= m_end_position && m_run + 1 < m_runs.size()) enter_run(m_run + 1);
    return m_decode_position;
}

TimeValue64 edit_run_cursor::found(TimeValue64 t) {
    const int64_t offset = m_start_offset;
    if (offset != 0) {
        t -= offset;
        if (t > offset) {
            m_decode_position -= offset;
            m_start_offset = 0;
        }
    }
    return t;
}

sample_times edit_run_cursor::stamp(TimeValue64 decode_duration, TimeValue64 display_offset,
                                    TimeScale media_scale) {
    const double shift = m_runs.empty() ? 0.0 : m_runs[m_run].shift;
    const double media_decode =
        media_time{m_decode_position - m_start_offset, media_scale}.seconds();
    // An edit whose first samples decode before the previous edit's last ones
    // is moved to follow them.
    if (!m_run_started) {
        m_decode_shift = m_any_delivered ? std::max(shift, m_decode_next - media_decode) : shift;
        m_run_started = true;
    }
    sample_times times;
    times.decode = media_decode + m_decode_shift;
    const media_time shown{m_decode_position + display_offset - m_start_offset, media_scale};
    times.display = shown.seconds() + shift;
    times.duration = media_time{decode_duration, media_scale}.seconds();
    if (times.decode < 0.0 && times.decode + times.duration > 0.0) times.decode = 0.0;
    if (times.display < 0.0 && times.display + times.duration > 0.0) times.display = 0.0;
    return times;
}

void edit_run_cursor::delivered(TimeValue64 t, TimeValue64 decode_duration, double decode_time,
                                TimeScale media_scale) {
    m_decode_position += decode_duration;
    m_delivered_to = t + decode_duration;
    m_decode_next = decode_time + media_time{decode_duration, media_scale}.seconds();
    m_any_delivered = true;
}

}  // namespace ns_movie_apple_qt
