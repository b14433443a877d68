// The next-interesting-time searches of media, tracks and movies.
#pragma once

#include <cstdint>

#include "movie/model.h"

namespace qtrt {

// In a media, by decode time: the next sample start (nextTimeMediaSample),
// sync sample start (nextTimeSyncSample) or sync-or-partial-sync sample start
// (nextTimePartialSyncSample) after t (forward) or before t (backward); with
// nextTimeEdgeOK a start equal to t counts. The found sample's start and
// duration; false when there is none.
bool media_next_interesting(const media_model& media, int32_t flags, int64_t t, bool forward,
                            int64_t& time, int64_t& duration);

// On a track's time line (movie time scale): edit starts (nextTimeTrackEdit;
// empty edits show nothing and do not count), and the media's sample, sync
// sample or frame (nextTimeStep: display start) times as the edits show them.
bool track_next_interesting(const track_model& track, TimeScale movie_scale, int32_t flags,
                            int64_t t, bool forward, int64_t& time, int64_t& duration);

}  // namespace qtrt
