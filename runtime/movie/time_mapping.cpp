#include "movie/time_mapping.h"

#include <limits>

namespace qtrt {

using qt_format::round_to;
using qt_format::scale_time;

namespace {

// a + b and a - b, saturated to the 64-bit range (only broken files get
// there).
int64_t add_times(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

int64_t subtract_times(int64_t a, int64_t b) {
    int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return difference;
}

// The rate of an edit as a 16.16 value; negative rates play as 1.0 (a dwell
// edit, rate 0, is handled by each caller).
int64_t edit_rate(const edit_entry& e) { return e.rate > 0 ? e.rate : 0x10000; }

}  // namespace

bool edit_at(const track_model& track, int64_t track_time, edit_span& span) {
    if (track_time < 0) return false;
    int64_t start = 0;
    for (size_t i = 0; i < track.edits.size(); ++i) {
        int64_t end = start + track.edits[i].track_duration;
        if (track_time < end) {
            span = {i, start, end};
            return true;
        }
        start = end;
    }
    return false;
}

bool track_to_media_time(const track_model& track, TimeScale movie_scale, int64_t track_time,
                         int64_t& media_time) {
    edit_span span{};
    if (movie_scale <= 0 || !edit_at(track, track_time, span)) return false;
    const edit_entry& e = track.edits[span.index];
    if (e.empty()) return false;
    if (e.dwell()) {
        media_time = e.media_time;
        return true;
    }
    int64_t elapsed = scale_time(track_time - span.start, track.media.time_scale, movie_scale);
    media_time = add_times(e.media_time, scale_time(elapsed, edit_rate(e), 0x10000));
    return true;
}

int64_t media_to_track_time(const track_model& track, TimeScale movie_scale, const edit_span& span,
                            int64_t media_time) {
    const edit_entry& e = track.edits[span.index];
    if (e.dwell()) return span.start;
    const int64_t in_media = subtract_times(media_time, e.media_time);
    const int64_t elapsed = scale_time(in_media, 0x10000, edit_rate(e), round_to::up);
    return add_times(span.start,
                     scale_time(elapsed, movie_scale, track.media.time_scale, round_to::up));
}

int64_t edit_media_end(const track_model& track, TimeScale movie_scale, const edit_span& span) {
    const edit_entry& e = track.edits[span.index];
    if (e.dwell()) return add_times(e.media_time, 1);
    const int64_t elapsed =
        scale_time(span.end - span.start, track.media.time_scale, movie_scale, round_to::up);
    return add_times(e.media_time, scale_time(elapsed, edit_rate(e), 0x10000, round_to::up));
}

}  // namespace qtrt
