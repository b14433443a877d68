#include "format/time_scale.h"

#include <cmath>
#include <limits>

namespace qt_format {
namespace {

constexpr int64_t kLargest = std::numeric_limits<int64_t>::max();

// Times beyond this many frames (about 3,000 years at 48 kHz) are cut to it.
constexpr int64_t kMaxFrames = 4000000000000000;

struct u128 {
    uint64_t hi;
    uint64_t lo;
};

u128 multiply(uint64_t a, uint64_t b) {
    const uint64_t a_lo = uint32_t(a), a_hi = a >> 32, b_lo = uint32_t(b), b_hi = b >> 32;
    const uint64_t low = a_lo * b_lo, cross1 = a_lo * b_hi, cross2 = a_hi * b_lo;
    const uint64_t middle = (low >> 32) + uint32_t(cross1) + uint32_t(cross2);
    return {a_hi * b_hi + (cross1 >> 32) + (cross2 >> 32) + (middle >> 32),
            (middle << 32) | uint32_t(low)};
}

// n / d and n % d for d below 2^63 (so the running remainder, below d, never
// loses its top bit when shifted); false when the quotient passes 64 bits.
bool divide(u128 n, uint64_t d, uint64_t& quotient, uint64_t& remainder) {
    if (n.hi == 0) {
        quotient = n.lo / d;
        remainder = n.lo % d;
        return true;
    }
    if (n.hi >= d) return false;
    uint64_t rest = n.hi, q = 0;
    for (int bit = 63; bit >= 0; --bit) {
        rest = rest << 1 | (n.lo >> bit & 1);
        q <<= 1;
        if (rest >= d) {
            rest -= d;
            q |= 1;
        }
    }
    quotient = q;
    remainder = rest;
    return true;
}

}  // namespace

int64_t scale_time(int64_t value, int64_t num, int64_t den, round_to rounding) {
    if (den <= 0 || num < 0) return 0;
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
    uint64_t q = 0, r = 0;
    if (!divide(multiply(magnitude, uint64_t(num)), uint64_t(den), q, r))
        return negative ? std::numeric_limits<int64_t>::min() : kLargest;
    // Round the magnitude so that the signed result rounds as asked.
    const bool up = rounding == round_to::nearest ? r >= uint64_t(den) - r
                    : rounding == round_to::up    ? r != 0 && !negative
                                                  : r != 0 && negative;
    if (up && q != ~uint64_t(0)) ++q;
    if (negative) return q > uint64_t(kLargest) ? std::numeric_limits<int64_t>::min() : -int64_t(q);
    return q > uint64_t(kLargest) ? kLargest : int64_t(q);
}

rate_fraction rate_as_fraction(double rate) {
    if (!(rate > 0.0) || rate > 2147483647.0) return {0, 1};
    if (rate == std::floor(rate)) return {int64_t(rate), 1};
    return {std::llround(rate * 65536.0), 65536};
}

int64_t rescale_time(int64_t value, double from_rate, double to_rate) {
    const rate_fraction from = rate_as_fraction(from_rate), to = rate_as_fraction(to_rate);
    if (from.num == 0 || to.num == 0) return 0;
    const int64_t frames =
        scale_time(value, to.num * from.den, to.den * from.num, round_to::nearest);
    return frames > kMaxFrames ? kMaxFrames : frames < -kMaxFrames ? -kMaxFrames : frames;
}

}  // namespace qt_format
