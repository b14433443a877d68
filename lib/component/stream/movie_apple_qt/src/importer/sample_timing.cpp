#include "importer/sample_timing.h"

#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

bool sample_timing_at(Media media, TimeValue64 t, sample_timing& out) {
    TimeValue64 start = 0, duration = 0, offset = 0;
    if (GetMediaSample2(media, nullptr, 0, nullptr, t, &start, &duration, &offset, nullptr, nullptr,
                        1, nullptr, nullptr) != noErr)
        return false;
    out.decode = start;
    out.duration = duration;
    out.display = start + offset;
    return true;
}

}  // namespace ns_movie_apple_qt
