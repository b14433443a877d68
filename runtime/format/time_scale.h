// Times from one time scale to another, exactly: the one conversion of the
// runtime (track and media time lines, sound frames) and of ruv-import.
#pragma once

#include <cstdint>

namespace qt_format {

enum class round_to { down, up, nearest };

// value × num / den, exact for any 64-bit value and num, den up to 2^63 - 1;
// nearest rounds halves away from zero. A result beyond the 64-bit range
// (only from broken files) saturates; den of 0 or less, or num below 0, gives 0.
int64_t scale_time(int64_t value, int64_t num, int64_t den, round_to rounding = round_to::down);

// A time scale or sample rate as a fraction: a whole rate as itself, any other
// in units of 1/65536 (exact for the 16.16 rates of sound descriptions).
struct rate_fraction {
    int64_t num;
    int64_t den;
};
rate_fraction rate_as_fraction(double rate);

// value in units of 1/from_rate, in units of 1/to_rate, rounded to nearest and
// cut to about 4e15 either way, so that sums of sound positions cannot
// overflow. A rate of 0 or less gives 0.
int64_t rescale_time(int64_t value, double from_rate, double to_rate);

}  // namespace qt_format
