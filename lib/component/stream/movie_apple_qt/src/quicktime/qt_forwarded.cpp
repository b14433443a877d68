// The forwarded operations: each calls its stub with the address of a result
// slot (when it has a result) and the address of each parameter, and returns
// the slot. While no runtime is bound the slot is not written, and the
// operation answers the slot's start value: -2095 for an error result, else 0.
#include "quicktime/qt_loader.h"
#include "quicktime/routines.h"

extern "C" {
long qtb_forward_GetMediaDecodeDuration(TimeValue64* result, Media* theMedia);
long qtb_forward_GetMediaSample2(OSErr* result, Media* theMedia, UInt8** dataOut,
                                 ByteCount* maxDataSize, ByteCount** size,
                                 TimeValue64* decodeTime, TimeValue64** sampleDecodeTime,
                                 TimeValue64** decodeDuration, TimeValue64** displayOffset,
                                 SampleDescriptionHandle* sampleDescriptionH,
                                 ItemCount** sampleDescriptionIndex,
                                 ItemCount* maxNumberOfSamples, ItemCount** numberOfSamples,
                                 MediaSampleFlags** sampleFlags);
long qtb_forward_TrackTimeToMediaDisplayTime(TimeValue64* result, TimeValue64* value,
                                             Track* theTrack);
long qtb_forward_GetMediaNextInterestingDecodeTime(Media* theMedia, int16_t* interestingTimeFlags,
                                                   TimeValue64* decodeTime, Fixed* rate,
                                                   TimeValue64** interestingDecodeTime,
                                                   TimeValue64** interestingDecodeDuration);
long qtb_forward_Fix2X(double* result, Fixed* x);
long qtb_forward_CFStringCreateWithSubstring(CFStringRef* result, CFAllocatorRef* alloc,
                                             CFStringRef* str, CFRange* range);
long qtb_forward_CFStringGetBytes(CFIndex* result, CFStringRef* theString, CFRange* range,
                                  CFStringEncoding* encoding, UInt8* lossByte,
                                  Boolean* isExternalRepresentation, UInt8** buffer,
                                  CFIndex* maxBufLen, CFIndex** usedBufLen);
long qtb_forward_CFStringFindWithOptions(Boolean* result, CFStringRef* theString,
                                         CFStringRef* stringToFind, CFRange* rangeToSearch,
                                         CFOptionFlags* searchOptions, CFRange** found);
long qtb_forward_CFStringFindAndReplace(CFIndex* result, CFMutableStringRef* theString,
                                        CFStringRef* stringToFind, CFStringRef* replacementString,
                                        CFRange* rangeToSearch, CFOptionFlags* compareOptions);
}

TimeValue64 GetMediaDecodeDuration(Media theMedia) {
    TimeValue64 result = 0;
    qtb_forward_GetMediaDecodeDuration(&result, &theMedia);
    return result;
}

OSErr GetMediaSample2(Media theMedia, UInt8* dataOut, ByteCount maxDataSize, ByteCount* size,
                      TimeValue64 decodeTime, TimeValue64* sampleDecodeTime,
                      TimeValue64* decodeDuration, TimeValue64* displayOffset,
                      SampleDescriptionHandle sampleDescriptionH,
                      ItemCount* sampleDescriptionIndex, ItemCount maxNumberOfSamples,
                      ItemCount* numberOfSamples, MediaSampleFlags* sampleFlags) {
    OSErr result = kQTRuntimeUnavailable;
    qtb_forward_GetMediaSample2(&result, &theMedia, &dataOut, &maxDataSize, &size, &decodeTime,
                                &sampleDecodeTime, &decodeDuration, &displayOffset,
                                &sampleDescriptionH, &sampleDescriptionIndex,
                                &maxNumberOfSamples, &numberOfSamples, &sampleFlags);
    return result;
}

TimeValue64 TrackTimeToMediaDisplayTime(TimeValue64 value, Track theTrack) {
    TimeValue64 result = 0;
    qtb_forward_TrackTimeToMediaDisplayTime(&result, &value, &theTrack);
    return result;
}

void GetMediaNextInterestingDecodeTime(Media theMedia, int16_t interestingTimeFlags,
                                       TimeValue64 decodeTime, Fixed rate,
                                       TimeValue64* interestingDecodeTime,
                                       TimeValue64* interestingDecodeDuration) {
    qtb_forward_GetMediaNextInterestingDecodeTime(&theMedia, &interestingTimeFlags, &decodeTime,
                                                  &rate, &interestingDecodeTime,
                                                  &interestingDecodeDuration);
}

double Fix2X(Fixed x) {
    double result = 0;
    qtb_forward_Fix2X(&result, &x);
    return result;
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range) {
    CFStringRef result = nullptr;
    qtb_forward_CFStringCreateWithSubstring(&result, &alloc, &str, &range);
    return result;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen) {
    CFIndex result = 0;
    qtb_forward_CFStringGetBytes(&result, &theString, &range, &encoding, &lossByte,
                                 &isExternalRepresentation, &buffer, &maxBufLen, &usedBufLen);
    return result;
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFOptionFlags searchOptions,
                                CFRange* found) {
    Boolean result = 0;
    qtb_forward_CFStringFindWithOptions(&result, &theString, &stringToFind, &rangeToSearch,
                                        &searchOptions, &found);
    return result;
}

CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind,
                               CFStringRef replacementString, CFRange rangeToSearch,
                               CFOptionFlags compareOptions) {
    CFIndex result = 0;
    qtb_forward_CFStringFindAndReplace(&result, &theString, &stringToFind, &replacementString,
                                       &rangeToSearch, &compareOptions);
    return result;
}
