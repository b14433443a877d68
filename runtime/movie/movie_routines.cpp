// The routines of this area of the runtime, by selector.
#include "core/routine_table.h"
#include "movie/movie_toolbox.h"

namespace qtrt {

namespace {

template <typename F>
const void* entry(F* f) {
    return reinterpret_cast<const void*>(f);
}

// Selectors named by role: 0x20009 SetMovieActive, 0x2003E GetMovieUserData,
// 0x20040 the movie's track by index (as GetMovieIndTrack), 0x2009E GetUserData, 0x2014B
// CountUserDataType, 0x201A5 GetNextUserDataType, 0x2044D
// GetMediaDecodeDuration, 0x2045E GetMediaNextInterestingDecodeTime.
const routine k_rows[] = {
    {0x20003, entry(&GetMoviesError)},
    {0x20005, entry(&MoviesTask)},
    {0x20009, entry(&SetMovieActive)},
    {0x20012, entry(&GetMovieTimeBase)},
    {0x20023, entry(&DisposeMovie)},
    {0x20029, entry(&GetMovieTimeScale)},
    {0x2002B, entry(&GetMovieDuration)},
    {0x2003D, entry(&SetMovieTimeValue)},
    {0x2003E, entry(&GetMovieUserData)},
    {0x2003F, entry(&GetMovieTrackCount)},
    {0x20040, entry(&GetMovieIndTrack)},
    {0x2004B, entry(&GetTrackDuration)},
    {0x2005D, entry(&GetTrackDimensions)},
    {0x20062, entry(&GetTrackMedia)},
    {0x20068, entry(&GetMediaTimeScale)},
    {0x2006F, entry(&GetMediaHandlerDescription)},
    {0x20071, entry(&GetMediaHandler)},
    {0x20077, entry(&GetMediaSampleDescriptionCount)},
    {0x20078, entry(&GetMediaSampleDescription)},
    {0x20079, entry(&GetMediaSampleCount)},
    {0x20096, entry(&TrackTimeToMediaTime)},
    {0x2009E, entry(&GetUserData)},
    {0x200E2, entry(&GetTrackNextInterestingTime)},
    {0x2010E, entry(&GetMovieNextInterestingTime)},
    {0x20117, entry(&GetMovieIndTrack)},
    {0x20130, entry(&DisposeUserData)},
    {0x2014B, entry(&CountUserDataType)},
    {0x2014D, entry(&GetUserDataText)},
    {0x20197, entry(&GetMediaDataRef)},
    {0x20199, entry(&GetMediaDataRefCount)},
    {0x201A1, entry(&SetMoviePlayHints)},
    {0x201A5, entry(&GetNextUserDataType)},
    {0x20208, entry(&GetMovieIndTrackType)},
    {0x2044D, entry(&GetMediaDecodeDuration_fwd)},
    {0x20459, entry(&GetMediaSample2_fwd)},
    {0x2045B, entry(&TrackTimeToMediaDisplayTime_fwd)},
    {0x2045E, entry(&GetMediaNextInterestingDecodeTime_fwd)},
    {0x204E4, entry(&NewMovieFromProperties)},
    {0x30020, entry(&GetImageDescriptionExtension)},
};

}  // namespace

extern const routine_table k_movie_routines;
const routine_table k_movie_routines = make_table(k_rows);

}  // namespace qtrt
