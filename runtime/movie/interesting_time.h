// The next-interesting-time searches of media, tracks and movies.
#pragma once

#include <cstdint>

#include "movie/model.h"

namespace qtrt {

// In a media, by decode time: the next sample start (nextTimeMediaSample),
// sync sample start (nextTimeSyncSample), sync-or-partial-sync sample start
// (nextTimePartialSyncSample) or chunk start (nextTimeMediaEdit: samples stored
// together form a group) after t (forward) or before t (backward); with
// nextTimeEdgeOK a start equal to t counts. The found sample's start and
// duration; false when there is none.
bool media_next_interesting(const media_model& media, int32_t flags, int64_t t, bool forward,
                            int64_t& time, int64_t& duration);

// On a track's time line (movie time scale): the start of every edit, empty
// ones too, and the end of the track as an empty edit of no duration
// (nextTimeTrackEdit, with the edit's duration); and, through the edits that
// show media, display starts of frames (nextTimeMediaSample, nextTimeStep),
// of sync samples (nextTimeSyncSample, nextTimePartialSyncSample) and chunk
// starts (nextTimeMediaEdit). An edit's start shows a new frame. Durations of
// frames are how long the frame stays shown in its edit.
bool track_next_interesting(const track_model& track, TimeScale movie_scale, int32_t flags,
                            int64_t t, bool forward, int64_t& time, int64_t& duration);

}  // namespace qtrt
