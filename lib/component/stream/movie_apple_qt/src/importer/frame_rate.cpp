#include "importer/frame_rate.h"

#include "importer/media_time.h"
#include "importer/qt_constants.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

OSErr frame_rate_from_media(Movie movie, double& rate) {
    rate = 0.0;
    Track rate_track =
        GetMovieIndTrackType(movie, 1, kCharacteristicHasVideoFrameRate, movieTrackCharacteristic);
    if (!rate_track) return GetMoviesError() != noErr ? GetMoviesError() : OSErr(invalidTrack);
    Media media = GetTrackMedia(rate_track);
    if (!media) return GetMoviesError() != noErr ? GetMoviesError() : OSErr(invalidMedia);
    MediaHandler handler = GetMediaHandler(media);
    if (!handler) return GetMoviesError() != noErr ? GetMoviesError() : OSErr(invalidMedia);

    Boolean is_mpeg = 0;
    ComponentResult result =
        MediaHasCharacteristic(handler, kCharacteristicIsAnMpegTrack, &is_mpeg);
    if (result != noErr) return OSErr(result);
    if (is_mpeg) {
        MoviesTask(movie, 0);
        Fixed mpeg_rate = 0;
        Size size = sizeof mpeg_rate;
        result = MediaGetPublicInfo(handler, kMPEGMediaPublicInfoOriginalRate, &mpeg_rate, &size);
        if (result != noErr) return OSErr(result);
        rate = Fix2X(mpeg_rate);
        return noErr;
    }

    const long samples = GetMediaSampleCount(media);
    if (samples > 0) {
        // Divided by the media's decode duration (the end of its last sample
        // in decode time): exactly the time the samples take, whatever the
        // media header says.
        const TimeValue64 length = GetMediaDecodeDuration(media);
        const TimeScale scale = GetMediaTimeScale(media);
        if (length <= 0 || scale <= 0) return invalidDuration;
        rate = double(scale) * double(samples) / double(length);
    }
    return GetMoviesError();
}

bool frame_rate_from_steps(Movie movie, double& rate) {
    rate = 0.0;
    MoviesTask(movie, 0);
    const OSType visual = VisualMediaCharacteristic;
    double frames = 0.0;
    TimeValue time = 0;
    for (;;) {
        TimeValue next = -1;
        GetMovieNextInterestingTime(movie, nextTimeStep, 1, &visual, time, qtcode::kRateForward,
                                    &next, nullptr);
        frames += 1.0;
        // A search that does not move forward would never end.
        if (next < 0 || next <= time) break;
        time = next;
    }
    if (GetMoviesError() != noErr) return false;
    const TimeValue duration = GetMovieDuration(movie);
    const TimeScale scale = GetMovieTimeScale(movie);
    if (duration <= 0 || scale <= 0) return false;
    rate = frames / movie_time{duration, scale}.seconds();
    return true;
}

}  // namespace ns_movie_apple_qt
