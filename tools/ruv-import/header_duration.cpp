#include "header_duration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ruv_import {
namespace {

// Less than this apart is rounding of a track's last sample or edit.
constexpr double kTolerance = 0.1;

}  // namespace

std::string seconds_text(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    std::string digits = text;
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
    const size_t point = std::min(digits.find('.'), digits.size());
    const size_t first = digits[0] == '-' ? 1 : 0;
    for (size_t at = point; at > first + 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string header_duration_note(const movie_time_line& movie, double derived_seconds) {
    // 0, as all ones, is a header written before the length was known.
    if (movie.duration <= 0 || movie.time_scale == 0) return "";
    const double header = double(movie.duration) / movie.time_scale;
    if (std::fabs(header - derived_seconds) < kTolerance) return "";
    return "the movie header says " + seconds_text(header) + " s; its longest track lasts " +
           seconds_text(derived_seconds) + " s";
}

}  // namespace ruv_import
