// QuickTime for Windows types, constants and result codes, declared from
// Apple's published QuickTime API reference. Shared by the plug-in's call
// surface and by the movie runtime, which implements the same API.
//
// Structures use QuickTime's 68k alignment (2-byte packing). In memory the
// fixed fields of image and sound descriptions are in native (little-endian)
// order on Windows; their extensions and all atoms stay big-endian.
#pragma once

#include <cstdint>

typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef int32_t ComponentResult;
typedef uint32_t OSType;
typedef uint32_t FourCharCode;
typedef OSType CodecType;
typedef uint32_t CodecQ;
typedef unsigned char Boolean;
typedef char* Ptr;
typedef Ptr* Handle;
typedef int32_t Size;
typedef uint32_t ByteCount;
typedef int32_t Fixed;
typedef uint32_t UnsignedFixed;
typedef int32_t TimeValue;
typedef int32_t TimeScale;
typedef int64_t TimeValue64;
typedef uint8_t Str31[32];
typedef uint8_t Str255[256];
typedef unsigned char* StringPtr;
typedef double Float64;

// A signed 64-bit value as two 32-bit words (low word first on little-endian).
struct wide {
    uint32_t lo;
    int32_t hi;
};

// Opaque references handed out by the runtime.
typedef struct MovieType** Movie;
typedef struct TrackRecord* Track;
typedef struct MediaRecord* Media;
typedef struct UserDataRecord* UserData;
typedef struct TimeBaseRecord* TimeBase;
typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef ComponentInstance MediaHandler;
typedef ComponentInstance DataHandler;
typedef ComponentInstance MediaHandlerComponent;
typedef struct MovieAudioExtractionRefRecord* MovieAudioExtractionRef;

#pragma pack(push, 2)

struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    uint32_t componentFlags;
    uint32_t componentFlagsMask;
};

// A component call's parameter record: flags, byte count of the parameters,
// the routine selector ("what"), then the parameters as 32-bit words.
struct ComponentParameters {
    uint8_t flags;
    uint8_t paramSize;
    int16_t what;
    int32_t params[1];
};

struct TimeRecord {
    wide value;
    TimeScale scale;
    TimeBase base;
};

struct SampleDescription {
    int32_t descSize;
    OSType dataFormat;
    int32_t resvd1;
    int16_t resvd2;
    int16_t dataRefIndex;
};
typedef SampleDescription* SampleDescriptionPtr;
typedef SampleDescriptionPtr* SampleDescriptionHandle;

struct ImageDescription {
    int32_t idSize;
    CodecType cType;
    int32_t resvd1;
    int16_t resvd2;
    int16_t dataRefIndex;
    int16_t version;
    int16_t revisionLevel;
    int32_t vendor;
    CodecQ temporalQuality;
    CodecQ spatialQuality;
    int16_t width;
    int16_t height;
    Fixed hRes;
    Fixed vRes;
    int32_t dataSize;
    int16_t frameCount;
    Str31 name;
    int16_t depth;
    int16_t clutID;
};
typedef ImageDescription* ImageDescriptionPtr;
typedef ImageDescriptionPtr* ImageDescriptionHandle;

struct SoundDescription {
    int32_t descSize;
    OSType dataFormat;
    int32_t resvd1;
    int16_t resvd2;
    int16_t dataRefIndex;
    int16_t version;
    int16_t revlevel;
    int32_t vendor;
    int16_t numChannels;
    int16_t sampleSize;
    int16_t compressionID;
    int16_t packetSize;
    UnsignedFixed sampleRate;
};
typedef SoundDescription* SoundDescriptionPtr;
typedef SoundDescriptionPtr* SoundDescriptionHandle;

struct TimeCodeDef {
    int32_t flags;
    TimeScale fTimeScale;
    TimeValue frameDuration;
    uint8_t numFrames;
    uint8_t padding;
};

struct TimeCodeDescription {
    int32_t descSize;
    OSType dataFormat;
    int32_t resvd1;
    int16_t resvd2;
    int16_t dataRefIndex;
    int32_t flags;
    TimeCodeDef timeCodeDef;
    int32_t srcRef[1];
};
typedef TimeCodeDescription* TimeCodeDescriptionPtr;
typedef TimeCodeDescriptionPtr* TimeCodeDescriptionHandle;

struct TimeCodeTime {
    uint8_t hours;
    uint8_t minutes;
    uint8_t seconds;
    uint8_t frames;
};

struct TimeCodeCounter {
    int32_t counter;
};

union TimeCodeRecord {
    TimeCodeTime t;
    TimeCodeCounter c;
};

#pragma pack(pop)

// Core Audio descriptions use natural alignment.
struct AudioStreamBasicDescription {
    Float64 mSampleRate;
    uint32_t mFormatID;
    uint32_t mFormatFlags;
    uint32_t mBytesPerPacket;
    uint32_t mFramesPerPacket;
    uint32_t mBytesPerFrame;
    uint32_t mChannelsPerFrame;
    uint32_t mBitsPerChannel;
    uint32_t mReserved;
};

struct AudioBuffer {
    uint32_t mNumberChannels;
    uint32_t mDataByteSize;
    void* mData;
};

struct AudioBufferList {
    uint32_t mNumberBuffers;
    AudioBuffer mBuffers[1];
};

// Properties of NewMovieFromProperties.
typedef OSType QTPropertyClass;
typedef OSType QTPropertyID;
typedef void* QTPropertyValuePtr;
struct QTNewMoviePropertyElement {
    QTPropertyClass propClass;
    QTPropertyID propID;
    ByteCount propValueSize;
    QTPropertyValuePtr propValueAddress;
    OSStatus propStatus;
};

struct DataReferenceRecord {
    OSType dataRefType;
    Handle dataRef;
};

// CoreFoundation, as the QuickTime for Windows runtime carries it.
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFURL* CFURLRef;
typedef int32_t CFIndex;
typedef uint32_t CFOptionFlags;
typedef uint32_t CFStringEncoding;
typedef CFIndex CFComparisonResult;
typedef CFIndex CFURLPathStyle;
typedef uint8_t UInt8;
typedef uint16_t UniChar;

struct CFRange {
    CFIndex location;
    CFIndex length;
};

// Types of the call surface's prototypes.
typedef uint32_t UInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef uint32_t ItemCount;
typedef uint32_t MediaSampleFlags;
typedef const void* ConstQTPropertyValuePtr;
typedef ComponentResult (*ComponentRoutineUPP)(ComponentParameters* params, Handle storage);
typedef ComponentRoutineUPP ComponentRoutinePtr;
// A component routine of any signature; cast to it (as the ProcPtr of C).
typedef void (*ComponentFunctionUPP)(void);
typedef struct DataHScheduleRecord* DataHSchedulePtr;
typedef void (*DataHCompletionUPP)(Ptr request, long refcon, OSErr err);

constexpr uint32_t qt_fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

// Result codes.
enum : OSErr {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    couldNotResolveDataRef = -2000,
    badImageDescription = -2001,
    cantFindHandler = -2003,
    invalidMedia = -2008,
    invalidTrack = -2009,
    invalidMovie = -2010,
    invalidTime = -2015,
    noMovieFound = -2048,
    badDataRefIndex = -2050,
    // The loader's own answers: an entry point missing from the runtime, and
    // no runtime bound.
    kQTEntryPointMissing = -2094,
    kQTRuntimeUnavailable = -2095,
};

constexpr ComponentResult badComponentInstance = ComponentResult(0x80008001);
constexpr ComponentResult badComponentSelector = ComponentResult(0x80008002);

enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingWindowsLatin1 = 0x0500,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100,
};

enum : CFIndex {
    kCFURLPOSIXPathStyle = 0,
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2,
};

enum : CFIndex {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

enum : CFOptionFlags {
    kCFCompareCaseInsensitive = 1,
    kCFCompareBackwards = 4,
    kCFCompareAnchored = 8,
    kCFCompareNonliteral = 16,
};
