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
    // Both limits convert to double exactly for 32-bit and 64-bit integers.
    const double lowest = double(std::numeric_limits<Integer>::min());
    const double beyond = -lowest;
    if (value <= lowest) return std::numeric_limits<Integer>::min();
    if (value >= beyond) return std::numeric_limits<Integer>::max();
    return Integer(value);
}

}  // namespace ns_movie_apple_qt
