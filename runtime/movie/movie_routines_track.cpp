// Movie Toolbox routines of tracks: duration, dimensions, media, the mapping
// of track time to media time through the edit list, and the next interesting
// time on the track's time line.
#include <algorithm>
#include <limits>

#include "movie/interesting_time.h"
#include "movie/movie_objects.h"
#include "movie/movie_toolbox.h"
#include "movie/time_mapping.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

track_object* checked_track(Track t) {
    track_object* track = track_from(t);
    set_movies_error(track ? noErr : invalidTrack);
    return track;
}

TimeValue clamp_to_32(int64_t value) {
    return TimeValue(std::min<int64_t>(std::max<int64_t>(value, std::numeric_limits<int32_t>::min()),
                                       std::numeric_limits<int32_t>::max()));
}

}  // namespace

TimeValue GetTrackDuration(Track theTrack) {
    track_object* track = checked_track(theTrack);
    return track ? clamp_to_32(track->model->duration) : 0;
}

void GetTrackDimensions(Track theTrack, Fixed* width, Fixed* height) {
    track_object* track = checked_track(theTrack);
    if (width) *width = track ? track->model->width : 0;
    if (height) *height = track ? track->model->height : 0;
}

Boolean GetTrackEnabled(Track theTrack) {
    track_object* track = checked_track(theTrack);
    return track && track->model->enabled ? 1 : 0;
}

int32_t GetTrackID(Track theTrack) {
    track_object* track = checked_track(theTrack);
    return track ? int32_t(track->model->id) : 0;
}

Media GetTrackMedia(Track theTrack) {
    track_object* track = checked_track(theTrack);
    return track ? media_reference_of(&track->media) : nullptr;
}

TimeValue TrackTimeToMediaTime(TimeValue value, Track theTrack) {
    track_object* track = checked_track(theTrack);
    int64_t media_time = -1;
    if (!track ||
        !track_to_media_time(*track->model, track->movie->model.time_scale, value, media_time))
        return -1;
    return clamp_to_32(media_time);
}

TimeValue64 TrackTimeToMediaDisplayTime(TimeValue64 value, Track theTrack) {
    track_object* track = checked_track(theTrack);
    int64_t media_time = -1;
    if (!track ||
        !track_to_media_time(*track->model, track->movie->model.time_scale, value, media_time))
        return -1;
    return media_time;
}

void TrackTimeToMediaDisplayTime_fwd(TimeValue64* result, TimeValue64* value, Track* theTrack) {
    TimeValue64 answer = TrackTimeToMediaDisplayTime(value ? *value : 0, theTrack ? *theTrack : nullptr);
    if (result) *result = answer;
}

void GetTrackNextInterestingTime(Track theTrack, int16_t interestingTimeFlags, TimeValue time,
                                 Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration) {
    if (interestingTime) *interestingTime = -1;
    if (interestingDuration) *interestingDuration = 0;
    track_object* track = checked_track(theTrack);
    if (!track) return;
    if (rate == 0) {
        set_movies_error(paramErr);
        return;
    }
    int64_t t = 0, d = 0;
    if (!track_next_interesting(*track->model, track->movie->model.time_scale, interestingTimeFlags,
                                time, rate > 0, t, d))
        return;
    if (interestingTime) *interestingTime = clamp_to_32(t);
    if (interestingDuration) *interestingDuration = clamp_to_32(d);
}

}  // namespace qtrt
