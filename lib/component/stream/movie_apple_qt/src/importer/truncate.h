// Truncation toward zero of values computed from a movie's fields, kept
// inside the target type: a NaN gives 0, values beyond the range give its
// nearest end.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace ns_movie_apple_qt {

template <class Integer>
Integer truncate_to(double value) {
    if (std::isnan(value)) return 0;
    // The lowest value and the first one past the highest are powers of two
    // (or 0), exact as doubles for 32-bit and 64-bit integers.
    const double lowest = double(std::numeric_limits<Integer>::min());
    const double beyond = double(std::numeric_limits<Integer>::max()) + 1.0;
    if (value <= lowest) return std::numeric_limits<Integer>::min();
    if (value >= beyond) return std::numeric_limits<Integer>::max();
    return Integer(value);
}

}  // namespace ns_movie_apple_qt
