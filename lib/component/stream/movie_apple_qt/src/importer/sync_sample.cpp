#include "importer/sync_sample.h"

#include "importer/qt_constants.h"
#include "importer/sample_timing.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Sync samples stepped back over, at most, while they are shown too late.
constexpr int kMaxStepsBack = 64;

}  // namespace

TimeValue64 sync_decoded_by(Media media, TimeValue64 t) {
    TimeValue64 found = -1;
    GetMediaNextInterestingDecodeTime(media, nextTimeSyncSample | nextTimeEdgeOK,
                                      t, qtcode::kRateBackward, &found, nullptr);
    if (GetMoviesError() == noErr && found != -1) return found;
    found = -1;
    GetMediaNextInterestingDecodeTime(media,
                                      nextTimePartialSyncSample | nextTimeEdgeOK,
                                      t, qtcode::kRateBackward, &found, nullptr);
    return GetMoviesError() == noErr ? found : -1;
}

TimeValue64 sync_for_frame_shown_at(Media media, TimeValue64 shown) {
    TimeValue64 sync = sync_decoded_by(media, shown);
    for (int n = 0; n < kMaxStepsBack && sync > 0; ++n) {
        sample_timing sync_sample;
        if (!sample_timing_at(media, sync, sync_sample) || sync_sample.display <= shown) break;
        const TimeValue64 earlier = sync_decoded_by(media, sync - 1);
        if (earlier < 0) break;
        sync = earlier;
    }
    return sync;
}

}  // namespace ns_movie_apple_qt
