// Times from one time scale to another.
#pragma once

#include <cstdint>

namespace qtrt::audio {

// value (in units of 1/from_scale) in units of 1/to_scale, rounded to nearest;
// cut to about 4e15 either way, so that sums of positions cannot overflow.
int64_t rescale_time(int64_t value, double from_scale, double to_scale);

}  // namespace qtrt::audio
