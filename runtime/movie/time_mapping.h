// Conversions between a track's time line (movie time scale) and its media's
// time line through the track's edit list.
#pragma once

#include <cstdint>

#include "format/time_scale.h"
#include "movie/model.h"

namespace qtrt {

// Where an edit starts on the track's time line and where it ends.
struct edit_span {
    size_t index;
    int64_t start;  // movie time scale
    int64_t end;
};

// The edit whose span holds track_time; false outside every edit.
bool edit_at(const track_model& track, int64_t track_time, edit_span& span);

// The media time shown at track_time: false inside an empty edit or outside
// every edit. A dwell edit (rate 0) shows its media time throughout.
bool track_to_media_time(const track_model& track, TimeScale movie_scale, int64_t track_time,
                         int64_t& media_time);

// The first track time of an edit at which media_time (inside the edit's media
// range) is shown.
int64_t media_to_track_time(const track_model& track, TimeScale movie_scale, const edit_span& span,
                            int64_t media_time);

// The media time at which an edit's shown range ends (exclusive); a dwell
// edit shows the one instant at its media time.
int64_t edit_media_end(const track_model& track, TimeScale movie_scale, const edit_span& span);

}  // namespace qtrt
