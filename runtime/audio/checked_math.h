// Products and sums of counts that come from a file, checked before they size
// memory or a loop: 64-bit arithmetic alone is not a bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace qtrt::audio {

// a * b into out; false (out untouched) when it does not fit.
template <typename T>
bool checked_mul(T a, T b, T& out) {
    static_assert(std::numeric_limits<T>::is_integer && !std::numeric_limits<T>::is_signed, "unsigned only");
    if (a != 0 && b > std::numeric_limits<T>::max() / a) return false;
    out = a * b;
    return true;
}

// a + b into out; false (out untouched) when it does not fit.
template <typename T>
bool checked_add(T a, T b, T& out) {
    static_assert(std::numeric_limits<T>::is_integer && !std::numeric_limits<T>::is_signed, "unsigned only");
    if (b > std::numeric_limits<T>::max() - a) return false;
    out = a + b;
    return true;
}

// Floats of `frames` frames of `channels` channels, or 0 when that is not a
// size this process can hold (callers treat 0 as "refuse").
inline size_t float_count(int64_t frames, uint32_t channels) {
    size_t n = 0;
    if (frames < 0 || uint64_t(frames) > SIZE_MAX || !checked_mul(size_t(frames), size_t(channels), n) ||
        n > SIZE_MAX / sizeof(float))
        return 0;
    return n;
}

}  // namespace qtrt::audio
