// Where the video reader stands in the runs of a seek (one run an edit that
// shows media, see shown_range.h), and the times it gives each sample read
// there. It asks QuickTime nothing: the reader finds each sample from the
// decode position the cursor gives and tells the cursor what it found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "importer/shown_range.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// A sample's times in seconds, before the track's time shift.
struct sample_times {
    double decode = 0.0;
    double display = 0.0;
    double duration = 0.0;
};

class edit_run_cursor {
public:
    // Starts over at the first of runs (entered only when enter is set:
    // after a failed search the runs found so far are kept, and the reading
    // enters them from decode time 0); with none, the first sample found is
    // past the run.
    void start(std::vector<read_segment> runs, bool enter = true);

    // Decode time (media time scale) from which the next sample is searched,
    // moving on to the next run at the end of one.
    TimeValue64 search_from();
    // The decode time of the sample found from search_from() (QuickTime's
    // answer t), on the media's own time line: a run that starts before the
    // media's time 0 is read from 0 and shifted back.
    TimeValue64 found(TimeValue64 t);
    // The times of the sample at the decode position, placed where its edit
    // shows it, on the time line of the track's first edit; decode times go
    // on rising across a cut.
    sample_times stamp(TimeValue64 decode_duration, TimeValue64 display_offset,
                       TimeScale media_scale);
    // The sample at the decode position is past the last run's end.
    bool past_run() const { return m_decode_position >= m_end_position; }
    // The sample at the decode position is the last of its run.
    bool last_of_run(TimeValue64 decode_duration) const {
        return m_decode_position + decode_duration >= m_end_position;
    }
    // The sample found at decode time t (QuickTime's answer), stamped
    // decode_time, was delivered: the position moves past it.
    void delivered(TimeValue64 t, TimeValue64 decode_duration, double decode_time,
                   TimeScale media_scale);

    // Place in the edit list of the edit whose run is read; 0 without runs.
    int edit_number() const { return m_runs.empty() ? 0 : m_runs[m_run].edit_number; }

private:
    void enter_run(size_t index);

    std::vector<read_segment> m_runs;
    size_t m_run = 0;
    // Decode time of the next sample to read, and where the run ends, both
    // moved on by m_start_offset while a run that starts before the media's
    // time 0 is read.
    TimeValue64 m_decode_position = 0;
    TimeValue64 m_end_position = 0;
    int64_t m_start_offset = 0;
    bool m_run_started = false;
    // Seconds added to the media decode times of the run being read.
    double m_decode_shift = 0.0;
    // Where the last delivered sample ends: in media decode time, and as the
    // decode time stamped (seconds, before the time shift).
    bool m_any_delivered = false;
    TimeValue64 m_delivered_to = 0;
    double m_decode_next = 0.0;
};

}  // namespace ns_movie_apple_qt
