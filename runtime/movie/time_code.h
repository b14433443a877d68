// Time codes: the 'tmcd' sample description, the conversion of a frame number
// into a time code record (with drop-frame counting), and the time code of a
// time code media at a movie time.
#pragma once

#include <cstdint>
#include <vector>

#include "movie/model.h"
#include "quicktime/movies.h"

namespace qtrt {

class media_object;

struct time_code_description {
    TimeCodeDef definition{};
    std::vector<user_data_item> source;  // the description's user data ('name': reel name)
};

// The fixed fields and the source user data of a 'tmcd' description as stored
// (big-endian); false when the description is too short.
bool parse_time_code_description(const std::vector<uint8_t>& bytes, time_code_description& out);

// The time code record of a frame number under a definition: hours, minutes,
// seconds, frames (drop-frame counting with tcDropFrame, a 24-hour wrap with
// tc24HourMax, the negative flag in the hours with tcNegTimesOK) or, with
// tcCounter, the counter itself.
void frame_to_time_code(int32_t frame, const TimeCodeDef& def, TimeCodeRecord& record);

// The time code media's frame number at the movie's current time: the frame
// counter of the sample shown there plus the frames elapsed inside it, with
// its description.
OSErr current_time_code(media_object& media, int32_t& frame, time_code_description& description);

}  // namespace qtrt
