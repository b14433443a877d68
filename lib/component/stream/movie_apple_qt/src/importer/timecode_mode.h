// Time code modes from QuickTime time code definitions, and the time codes
// the video reader makes from a time code media's answers.
#pragma once

#include <cstdint>

#include "lib/kolmbase/timecode.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The mode of a definition: 24, 25, 30, 50 or 60 frames per second, with the
// drop-frame flag giving 0x7018, 0x701E or 0x703C (25 and 50 ignore it) and
// 30 without it at time scale 2997 giving 0x601E; any other rate gives 1.
uint32_t timecode_mode(const TimeCodeDef& definition);

// The time code a record shows, in the given mode, marked as read from a
// source.
kolmbase::timecode timecode_from_record(uint32_t mode, const TimeCodeRecord& record);

// A zero time code of the mode advanced frame_number frames (none when the
// number is negative). The count is first reduced by one day of frames, after
// which the time code is where it started.
kolmbase::timecode timecode_after_frames(uint32_t mode, int64_t frame_number);

}  // namespace ns_movie_apple_qt
