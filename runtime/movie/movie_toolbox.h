// The Movie Toolbox routines of the runtime, with QuickTime's public names and
// signatures. Routines that take or return 64-bit values are reached through
// the dispatcher in their address-list form (NAME_fwd: the result slot first,
// then the address of each argument); both forms are declared.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace qtrt {

// Opening and disposing.
OSErr NewMovieFromProperties(ItemCount inputPropertyCount,
                             QTNewMoviePropertyElement* inputProperties,
                             ItemCount outputPropertyCount,
                             QTNewMoviePropertyElement* outputProperties, Movie* theMovie);
void DisposeMovie(Movie theMovie);
OSErr GetMoviesError();

// Movies.
void MoviesTask(Movie theMovie, int32_t maxMilliSecToUse);
void SetMovieActive(Movie theMovie, Boolean active);
void SetMoviePlayHints(Movie theMovie, int32_t flags, int32_t flagsMask);
TimeBase GetMovieTimeBase(Movie theMovie);
TimeScale GetMovieTimeScale(Movie theMovie);
TimeValue GetMovieDuration(Movie theMovie);
void SetMovieTimeValue(Movie theMovie, TimeValue newtime);
TimeValue GetMovieTime(Movie theMovie, TimeRecord* currentTime);
int32_t GetMovieTrackCount(Movie theMovie);
Track GetMovieTrack(Movie theMovie, int32_t trackID);
Track GetMovieIndTrack(Movie theMovie, int32_t index);
Track GetMovieIndTrackType(Movie theMovie, int32_t index, OSType trackType, int32_t flags);
void GetMovieNextInterestingTime(Movie theMovie, int16_t interestingTimeFlags,
                                 int16_t numMediaTypes, const OSType* whichMediaTypes,
                                 TimeValue time, Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration);

// User data.
UserData GetMovieUserData(Movie theMovie);
int16_t CountUserDataType(UserData theUserData, OSType udType);
int32_t GetNextUserDataType(UserData theUserData, OSType udType);
OSErr GetUserData(UserData theUserData, Handle data, OSType udType, int32_t index);
OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, int32_t index,
                      int16_t itlRegionTag);
OSErr DisposeUserData(UserData theUserData);

// Tracks.
TimeValue GetTrackDuration(Track theTrack);
void GetTrackDimensions(Track theTrack, Fixed* width, Fixed* height);
Boolean GetTrackEnabled(Track theTrack);
int32_t GetTrackID(Track theTrack);
Media GetTrackMedia(Track theTrack);
TimeValue TrackTimeToMediaTime(TimeValue value, Track theTrack);
TimeValue64 TrackTimeToMediaDisplayTime(TimeValue64 value, Track theTrack);
void TrackTimeToMediaDisplayTime_fwd(TimeValue64* result, TimeValue64* value, Track* theTrack);
void GetTrackNextInterestingTime(Track theTrack, int16_t interestingTimeFlags, TimeValue time,
                                 Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration);

// Media.
TimeScale GetMediaTimeScale(Media theMedia);
TimeValue GetMediaDuration(Media theMedia);
TimeValue64 GetMediaDecodeDuration(Media theMedia);
void GetMediaDecodeDuration_fwd(TimeValue64* result, Media* theMedia);
void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, Str255 creatorName,
                                OSType* creatorManufacturer);
MediaHandler GetMediaHandler(Media theMedia);
int32_t GetMediaSampleDescriptionCount(Media theMedia);
void GetMediaSampleDescription(Media theMedia, int32_t index, SampleDescriptionHandle descH);
int32_t GetMediaSampleCount(Media theMedia);
OSErr GetMediaDataRefCount(Media theMedia, int16_t* count);
OSErr GetMediaDataRef(Media theMedia, int16_t index, Handle* dataRef, OSType* dataRefType,
                      int32_t* dataRefAttributes);
void GetMediaNextInterestingDecodeTime(Media theMedia, int16_t interestingTimeFlags,
                                       TimeValue64 decodeTime, Fixed rate,
                                       TimeValue64* interestingDecodeTime,
                                       TimeValue64* interestingDecodeDuration);
void GetMediaNextInterestingDecodeTime_fwd(Media* theMedia, int16_t* interestingTimeFlags,
                                           TimeValue64* decodeTime, Fixed* rate,
                                           TimeValue64** interestingDecodeTime,
                                           TimeValue64** interestingDecodeDuration);
OSErr GetMediaSample2(Media theMedia, uint8_t* dataOut, ByteCount maxDataSize,
                      ByteCount* size, TimeValue64 decodeTime, TimeValue64* sampleDecodeTime,
                      TimeValue64* decodeDuration, TimeValue64* displayOffset,
                      SampleDescriptionHandle sampleDescriptionH,
                      ItemCount* sampleDescriptionIndex, ItemCount maxNumberOfSamples,
                      ItemCount* numberOfSamples, MediaSampleFlags* sampleFlags);
void GetMediaSample2_fwd(OSErr* result, Media* theMedia, uint8_t** dataOut,
                         ByteCount* maxDataSize, ByteCount** size, TimeValue64* decodeTime,
                         TimeValue64** sampleDecodeTime, TimeValue64** decodeDuration,
                         TimeValue64** displayOffset, SampleDescriptionHandle* sampleDescriptionH,
                         ItemCount** sampleDescriptionIndex, ItemCount* maxNumberOfSamples,
                         ItemCount** numberOfSamples, MediaSampleFlags** sampleFlags);

// Image descriptions.
OSErr GetImageDescriptionExtension(ImageDescriptionHandle desc, Handle* extension, int32_t idType,
                                   int32_t index);

}  // namespace qtrt
