// Result codes and constants of the Movie Toolbox beyond the shared ones, as
// Apple's QuickTime API reference publishes them.
#pragma once

#include "quicktime/mac_types.h"

namespace qtrt {

enum : OSErr {
    readErr = -19,
    eofErr = -39,
    fnfErr = -43,
    badTrackIndex = -2028,
    userDataItemNotFound = -2026,
    invalidDuration = -2014,
    dataNoDataRef = -2039,
    codecExtensionNotFoundErr = -8971,
    badCallOrderErr = -9995,
};

// Flags of the next-interesting-time searches.
enum : int16_t {
    nextTimeMediaSample = 1 << 0,
    nextTimeMediaEdit = 1 << 1,
    nextTimeTrackEdit = 1 << 2,
    nextTimeSyncSample = 1 << 3,
    nextTimeStep = 1 << 4,
    nextTimePartialSyncSample = 1 << 5,
    nextTimeEdgeOK = 1 << 14,
};
constexpr int32_t nextTimeIgnoreActiveSegment = 1 << 15;

// Sample flags of GetMediaSample2.
enum : uint32_t {
    mediaSampleNotSync = 1u << 0,
    mediaSamplePartialSync = 1u << 16,
    mediaSampleHasRedundantCoding = 1u << 24,
    mediaSampleHasNoRedundantCoding = 1u << 25,
    mediaSampleIsDependedOnByOthers = 1u << 26,
    mediaSampleDroppable = 1u << 27,
    mediaSampleDependsOnOthers = 1u << 28,
    mediaSampleDoesNotDependOnOthers = 1u << 29,
    mediaSampleEarlierDisplayTimesAllowed = 1u << 30,
};
// The bits of an 'sdtp' byte (bit 7 is reserved) are the dependency flags
// from mediaSampleHasRedundantCoding on, in the same order.
constexpr int kDependencyFlagShift = 24;
constexpr uint8_t kDependencyFlagBits = 0x7F;

// Flags of GetMovieIndTrackType.
enum : int32_t {
    movieTrackMediaType = 1 << 0,
    movieTrackCharacteristic = 1 << 1,
    movieTrackEnabledOnly = 1 << 2,
};

// Time code definition flags.
enum : int32_t {
    tcDropFrame = 1 << 0,
    tc24HourMax = 1 << 1,
    tcNegTimesOK = 1 << 2,
    tcCounter = 1 << 3,
};
constexpr uint8_t tctNegFlag = 0x80;

}  // namespace qtrt
