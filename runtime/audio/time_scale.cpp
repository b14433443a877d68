#include "audio/time_scale.h"

#include <cmath>

namespace qtrt::audio {

namespace {

// Times beyond this many frames (about 3,000 years at 48 kHz) are cut to it.
constexpr long double kMaxFrames = 4.0e15L;

}  // namespace

int64_t rescale_time(int64_t value, double from_scale, double to_scale) {
    // Long double keeps 64 bits of mantissa on x86, so whole-number scales of
    // realistic movies convert exactly.
    long double t = static_cast<long double>(value) * to_scale / from_scale;
    if (t > kMaxFrames) t = kMaxFrames;
    if (t < -kMaxFrames) t = -kMaxFrames;
    return int64_t(std::llround(t));
}

}  // namespace qtrt::audio
