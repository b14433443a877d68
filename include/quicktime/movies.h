// The Movie Toolbox's types: movies, tracks, media and their times; the sample
// descriptions of image, sound and time code media; the properties of a new
// movie; media handlers and data handlers.
//
// Structures use QuickTime's 68k alignment (2-byte packing). In memory the
// fixed fields of image and sound descriptions are in native (little-endian)
// order on Windows; their extensions and all atoms stay big-endian.
#pragma once

#include <cstdint>

#include "quicktime/components.h"
#include "quicktime/mac_types.h"

typedef int32_t TimeValue;
typedef int32_t TimeScale;
typedef int64_t TimeValue64;
typedef OSType CodecType;
typedef uint32_t CodecQ;
typedef uint32_t MediaSampleFlags;

// Opaque references handed out by the runtime.
typedef struct MovieType** Movie;
typedef struct TrackRecord* Track;
typedef struct MediaRecord* Media;
typedef struct UserDataRecord* UserData;
typedef struct TimeBaseRecord* TimeBase;
typedef ComponentInstance MediaHandler;
typedef ComponentInstance DataHandler;
typedef ComponentInstance MediaHandlerComponent;

#pragma pack(push, 2)

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

// Properties of NewMovieFromProperties.
typedef OSType QTPropertyClass;
typedef OSType QTPropertyID;
typedef void* QTPropertyValuePtr;
typedef const void* ConstQTPropertyValuePtr;
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

// Asynchronous reads of a data handler.
typedef struct DataHScheduleRecord* DataHSchedulePtr;
typedef void (*DataHCompletionUPP)(Ptr request, long refcon, OSErr err);
