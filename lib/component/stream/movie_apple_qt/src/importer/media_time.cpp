#include "importer/media_time.h"

namespace ns_movie_apple_qt {

int64_t movie_to_media_ticks(int64_t movie_ticks, TimeScale movie_scale, TimeScale media_scale,
                             rounding how) {
    const int64_t product = movie_ticks * media_scale;
    const int64_t q = product / movie_scale;
    return how == rounding::up && q * movie_scale < product ? q + 1 : q;
}

}  // namespace ns_movie_apple_qt
