// The base types of the QuickTime for Windows API (Apple's MacTypes) and its
// result codes, as declared in Apple's published QuickTime API reference.
//
// The headers of this folder are the API both sides of the QuickTime binding
// compile against: the plug-in's call surface and the movie runtime.
#pragma once

#include <cstdint>

typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef uint32_t FourCharCode;
typedef unsigned char Boolean;
typedef char* Ptr;
typedef Ptr* Handle;
typedef int32_t Size;
typedef uint32_t ByteCount;
typedef uint32_t ItemCount;
typedef int32_t Fixed;
typedef uint32_t UnsignedFixed;
typedef uint8_t Str31[32];
typedef uint8_t Str255[256];
typedef unsigned char* StringPtr;
typedef double Float64;
typedef uint8_t UInt8;
typedef uint16_t UniChar;
typedef uint32_t UInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;

// A signed 64-bit value as two 32-bit words (low word first on little-endian).
struct wide {
    uint32_t lo;
    int32_t hi;
};

constexpr uint32_t qt_fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

// Result codes, one enumeration for every area (as Apple's MacErrors), so that
// codes of different areas mix in one expression.
enum : OSErr {
    noErr = 0,
    readErr = -19,
    eofErr = -39,
    fnfErr = -43,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    couldNotResolveDataRef = -2000,
    badImageDescription = -2001,
    cantFindHandler = -2003,
    invalidMedia = -2008,
    invalidTrack = -2009,
    invalidMovie = -2010,
    invalidDuration = -2014,
    invalidTime = -2015,
    userDataItemNotFound = -2026,
    badTrackIndex = -2028,
    dataNoDataRef = -2039,
    noMovieFound = -2048,
    badDataRefIndex = -2050,
    codecExtensionNotFoundErr = -8971,
    badCallOrderErr = -9995,
};
