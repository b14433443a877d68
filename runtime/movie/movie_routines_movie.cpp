// Movie Toolbox routines of movies: time scale, duration, current time, the
// time base, activity, play hints, tracks by ID, index and type, and the next
// interesting time along the movie's time line.
#include <algorithm>
#include <limits>

#include "movie/interesting_time.h"
#include "movie/media_handlers.h"
#include "movie/movie_objects.h"
#include "movie/movie_toolbox.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

movie_object* checked_movie(Movie m) {
    movie_object* movie = movie_from(m);
    set_movies_error(movie ? noErr : invalidMovie);
    return movie;
}

TimeValue clamp_to_32(int64_t value) {
    return TimeValue(std::min<int64_t>(std::max<int64_t>(value, std::numeric_limits<int32_t>::min()),
                                       std::numeric_limits<int32_t>::max()));
}

bool track_matches(const track_object& track, OSType type, int32_t flags) {
    if ((flags & movieTrackEnabledOnly) && !track.model->enabled) return false;
    const OSType media_type = track.model->media.handler_type;
    if (flags & movieTrackCharacteristic) return media_type_has_characteristic(media_type, type);
    return media_type == type;
}

// A track takes part in a movie-wide search when it is enabled and, with a
// list of types, when its media type or one of its characteristics is listed.
bool track_searched(const track_object& track, int16_t count, const OSType* types) {
    if (!track.model->enabled) return false;
    if (count <= 0 || !types) return true;
    const OSType media_type = track.model->media.handler_type;
    for (int16_t i = 0; i < count; ++i)
        if (types[i] == media_type || media_type_has_characteristic(media_type, types[i])) return true;
    return false;
}

}  // namespace

void MoviesTask(Movie theMovie, int32_t maxMilliSecToUse) {
    (void)maxMilliSecToUse;
    // Nothing plays: a movie has no work to do between calls.
    if (theMovie) checked_movie(theMovie);
    else set_movies_error(noErr);
}

void SetMovieActive(Movie theMovie, Boolean active) {
    if (movie_object* movie = checked_movie(theMovie)) movie->active = active != 0;
}

void SetMoviePlayHints(Movie theMovie, int32_t flags, int32_t flagsMask) {
    if (movie_object* movie = checked_movie(theMovie))
        movie->play_hints = (movie->play_hints & ~flagsMask) | (flags & flagsMask);
}

TimeBase GetMovieTimeBase(Movie theMovie) {
    movie_object* movie = checked_movie(theMovie);
    return movie ? reinterpret_cast<TimeBase>(&movie->time_base) : nullptr;
}

TimeScale GetMovieTimeScale(Movie theMovie) {
    movie_object* movie = checked_movie(theMovie);
    return movie ? movie->model.time_scale : 0;
}

TimeValue GetMovieDuration(Movie theMovie) {
    movie_object* movie = checked_movie(theMovie);
    return movie ? clamp_to_32(movie->model.duration) : 0;
}

void SetMovieTimeValue(Movie theMovie, TimeValue newtime) {
    if (movie_object* movie = checked_movie(theMovie)) movie->current_time = newtime;
}

TimeValue GetMovieTime(Movie theMovie, TimeRecord* currentTime) {
    movie_object* movie = checked_movie(theMovie);
    if (!movie) return 0;
    if (currentTime) {
        currentTime->value.lo = uint32_t(uint64_t(movie->current_time));
        currentTime->value.hi = int32_t(uint64_t(movie->current_time) >> 32);
        currentTime->scale = movie->model.time_scale;
        currentTime->base = reinterpret_cast<TimeBase>(&movie->time_base);
    }
    return clamp_to_32(movie->current_time);
}

int32_t GetMovieTrackCount(Movie theMovie) {
    movie_object* movie = checked_movie(theMovie);
    return movie ? int32_t(movie->tracks.size()) : 0;
}

Track GetMovieTrack(Movie theMovie, int32_t trackID) {
    movie_object* movie = checked_movie(theMovie);
    if (!movie) return nullptr;
    for (auto& track : movie->tracks)
        if (track->model->id == uint32_t(trackID)) return track_reference_of(track.get());
    set_movies_error(invalidTrack);
    return nullptr;
}

Track GetMovieIndTrack(Movie theMovie, int32_t index) {
    movie_object* movie = checked_movie(theMovie);
    if (!movie) return nullptr;
    if (index < 1 || size_t(index) > movie->tracks.size()) {
        set_movies_error(badTrackIndex);
        return nullptr;
    }
    return track_reference_of(movie->tracks[size_t(index) - 1].get());
}

Track GetMovieIndTrackType(Movie theMovie, int32_t index, OSType trackType, int32_t flags) {
    movie_object* movie = checked_movie(theMovie);
    if (!movie) return nullptr;
    int32_t seen = 0;
    for (auto& track : movie->tracks) {
        if (!track_matches(*track, trackType, flags)) continue;
        if (++seen == index) return track_reference_of(track.get());
    }
    // Running out of matching tracks is not an error: the answer is no track.
    return nullptr;
}

void GetMovieNextInterestingTime(Movie theMovie, int16_t interestingTimeFlags,
                                 int16_t numMediaTypes, const OSType* whichMediaTypes,
                                 TimeValue time, Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration) {
    if (interestingTime) *interestingTime = -1;
    if (interestingDuration) *interestingDuration = 0;
    movie_object* movie = checked_movie(theMovie);
    if (!movie) return;
    if (rate == 0) {
        set_movies_error(paramErr);
        return;
    }
    const bool forward = rate > 0;
    bool found = false;
    int64_t best = 0, best_duration = 0;
    for (auto& track : movie->tracks) {
        if (!track_searched(*track, numMediaTypes, whichMediaTypes)) continue;
        int64_t t = 0, d = 0;
        if (!track_next_interesting(*track->model, movie->model.time_scale, interestingTimeFlags,
                                    time, forward, t, d))
            continue;
        if (!found || (forward ? t < best : t > best)) {
            best = t;
            best_duration = d;
            found = true;
        }
    }
    if (!found) return;
    if (interestingTime) *interestingTime = clamp_to_32(best);
    if (interestingDuration) *interestingDuration = clamp_to_32(best_duration);
}

}  // namespace qtrt
