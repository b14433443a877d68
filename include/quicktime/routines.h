// The QuickTime routines the plug-in calls, with their public signatures, by
// area. The plug-in's call surface defines each one as a stub that reaches the
// runtime through its dispatcher; its operation table (qt_operations.def, in
// the plug-in's quicktime/ folder) gives their selectors and calling forms.
//
// The movie runtime includes only the types of this folder: it implements
// these routines in its own namespace, where the global declarations would
// make its unqualified calls ambiguous.
#pragma once

#include <cstdint>

#include "quicktime/audio_extraction.h"
#include "quicktime/components.h"
#include "quicktime/core_foundation.h"
#include "quicktime/mac_types.h"
#include "quicktime/movies.h"

extern "C" {

// Component Manager.
ComponentResult CallComponent(ComponentInstance instance, ComponentParameters* params);
Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint,
                            int16_t global, Handle componentName, Handle componentInfo,
                            Handle componentIcon);
void SetComponentInstanceStorage(ComponentInstance instance, Handle theStorage);
// Calls routine(storage, parameters...) with the words of params. The entry
// a component's dispatcher uses to reach one of its own routines.
ComponentResult CallComponentFunctionWithStorage(Handle storage, ComponentParameters* params,
                                                 ComponentFunctionUPP func);

// Component routines, sent as parameter records.
ComponentResult MediaHasCharacteristic(MediaHandler mh, OSType characteristic, Boolean* hasIt);
ComponentResult MediaGetPublicInfo(MediaHandler mh, OSType infoSelector, void* infoDataPtr,
                                   Size* ioDataSize);
ComponentResult TCGetCurrentTimeCode(MediaHandler mh, long* frameNum, TimeCodeDef* tcdef,
                                     TimeCodeRecord* tcrec, UserData* srcRefH);
ComponentResult DataHScheduleData64(DataHandler dh, Ptr placeToPutDataPtr, const wide* fileOffset,
                                    long dataSize, long refCon, DataHSchedulePtr scheduleRec,
                                    DataHCompletionUPP completionRtn);
ComponentResult DataHGetFileSize64(DataHandler dh, wide* fileSize);

// Movie Toolbox.
OSErr GetMoviesError(void);
void MoviesTask(Movie theMovie, long maxMilliSecToUse);
void SetMovieActive(Movie theMovie, Boolean active);
TimeBase GetMovieTimeBase(Movie theMovie);
void DisposeMovie(Movie theMovie);
TimeScale GetMovieTimeScale(Movie theMovie);
TimeValue GetMovieDuration(Movie theMovie);
void SetMovieTimeValue(Movie theMovie, TimeValue newtime);
UserData GetMovieUserData(Movie theMovie);
long GetMovieTrackCount(Movie theMovie);
// The movie's index-th track (from 1), as GetMovieIndTrack.
Track GetMovieTrackByIndex(Movie theMovie, long index);
TimeValue GetTrackDuration(Track theTrack);
void GetTrackDimensions(Track theTrack, Fixed* width, Fixed* height);
Media GetTrackMedia(Track theTrack);
TimeScale GetMediaTimeScale(Media theMedia);
void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, unsigned char* creatorName,
                                OSType* creatorManufacturer);
MediaHandler GetMediaHandler(Media theMedia);
long GetMediaSampleDescriptionCount(Media theMedia);
void GetMediaSampleDescription(Media theMedia, long index, SampleDescriptionHandle descH);
long GetMediaSampleCount(Media theMedia);
TimeValue TrackTimeToMediaTime(TimeValue value, Track theTrack);
OSErr GetUserData(UserData theUserData, Handle data, OSType udType, long index);
void GetTrackNextInterestingTime(Track theTrack, int16_t interestingTimeFlags, TimeValue time,
                                 Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration);
void GetMovieNextInterestingTime(Movie theMovie, int16_t interestingTimeFlags,
                                 int16_t numMediaTypes, const OSType* whichMediaTypes,
                                 TimeValue time, Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration);
Track GetMovieIndTrack(Movie theMovie, long index);
OSErr DisposeUserData(UserData theUserData);
int16_t CountUserDataType(UserData theUserData, OSType udType);
OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, long index,
                      int16_t itlRegionTag);
OSErr GetMediaDataRef(Media theMedia, int16_t index, Handle* dataRef, OSType* dataRefType,
                      long* dataRefAttributes);
OSErr GetMediaDataRefCount(Media theMedia, int16_t* count);
void SetMoviePlayHints(Movie theMovie, long flags, long flagsMask);
long GetNextUserDataType(UserData theUserData, OSType udType);
OSErr SetMediaDataRef(Media theMedia, int16_t index, Handle dataRef, OSType dataRefType);
Track GetMovieIndTrackType(Movie theMovie, long index, OSType trackType, long flags);
OSErr NewMovieFromDataFork64(Movie* theMovie, long fRefNum, const wide* fileOffset,
                             int16_t newMovieFlags, Boolean* dataRefWasChanged);
OSErr NewMovieFromProperties(ItemCount inputPropertyCount,
                             QTNewMoviePropertyElement* inputProperties,
                             ItemCount outputPropertyCount,
                             QTNewMoviePropertyElement* outputProperties, Movie* theMovie);

// QuickTime 7 sample and time interfaces (forwarded).
TimeValue64 GetMediaDecodeDuration(Media theMedia);
OSErr GetMediaSample2(Media theMedia, UInt8* dataOut, ByteCount maxDataSize, ByteCount* size,
                      TimeValue64 decodeTime, TimeValue64* sampleDecodeTime,
                      TimeValue64* decodeDuration, TimeValue64* displayOffset,
                      SampleDescriptionHandle sampleDescriptionH,
                      ItemCount* sampleDescriptionIndex, ItemCount maxNumberOfSamples,
                      ItemCount* numberOfSamples, MediaSampleFlags* sampleFlags);
TimeValue64 TrackTimeToMediaDisplayTime(TimeValue64 value, Track theTrack);
void GetMediaNextInterestingDecodeTime(Media theMedia, int16_t interestingTimeFlags,
                                       TimeValue64 decodeTime, Fixed rate,
                                       TimeValue64* interestingDecodeTime,
                                       TimeValue64* interestingDecodeDuration);

// Movie audio extraction.
OSStatus MovieAudioExtractionBegin(Movie m, UInt32 flags, MovieAudioExtractionRef* outSession);
OSStatus MovieAudioExtractionEnd(MovieAudioExtractionRef session);
OSStatus MovieAudioExtractionFillBuffer(MovieAudioExtractionRef session, UInt32* ioNumFrames,
                                        AudioBufferList* ioData, UInt32* outFlags);
OSStatus MovieAudioExtractionGetProperty(MovieAudioExtractionRef session,
                                         QTPropertyClass inPropClass, QTPropertyID inPropID,
                                         ByteCount inPropValueSize,
                                         QTPropertyValuePtr outPropValueAddress,
                                         ByteCount* outPropValueSizeUsed);
OSStatus MovieAudioExtractionSetProperty(MovieAudioExtractionRef session,
                                         QTPropertyClass inPropClass, QTPropertyID inPropID,
                                         ByteCount inPropValueSize,
                                         ConstQTPropertyValuePtr inPropValueAddress);

// Image compression.
OSErr GetImageDescriptionExtension(ImageDescriptionHandle desc, Handle* extension, long idType,
                                   long index);

// Fixed-point conversion and Gestalt.
double Fix2X(Fixed x);
OSErr Gestalt(OSType selector, long* response);

// Memory Manager.
OSErr MemError(void);
Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
Ptr NewPtrClear(Size byteCount);
void HLock(Handle h);
void HUnlock(Handle h);
void DisposePtr(Ptr p);
Size GetPtrSize(Ptr p);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);
OSErr HandToHand(Handle* theHndl);
OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, long size);
OSErr PtrAndHand(const void* ptr1, Handle hand2, long size);

// Runtime services.
UInt64 EndianU64_BtoN(UInt64 value);
Boolean CanReleaseLibraryHandle(void);

// CoreFoundation.
void CFRelease(CFTypeRef cf);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range);
CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
CFIndex CFStringGetLength(CFStringRef theString);
Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding);
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);
CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFOptionFlags compareOptions);
Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFOptionFlags searchOptions,
                                CFRange* result);
Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix);
void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString);
CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind,
                               CFStringRef replacementString, CFRange rangeToSearch,
                               CFOptionFlags compareOptions);
CFStringRef __CFStringMakeConstantString(const char* cStr);
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL);
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle);
CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef allocator,
                                                       CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped);
CFStringRef CFURLCreateStringByAddingPercentEscapes(CFAllocatorRef allocator,
                                                    CFStringRef originalString,
                                                    CFStringRef charactersToLeaveUnescaped,
                                                    CFStringRef legalURLCharactersToBeEscaped,
                                                    CFStringEncoding encoding);
// The address of a CoreFoundation data symbol ("kCFAllocatorDefault"), read
// through the answer.
void* QTGetCFConstant(const char* name);

}  // extern "C"
