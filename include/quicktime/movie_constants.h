// The Movie Toolbox's published constants that both the plug-in and the movie
// runtime name: media types and characteristics, search and sample flags,
// component types, data reference types, the properties of a new movie and
// the time code flags, as Apple's QuickTime API reference publishes them.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

// The atom that holds a movie's description.
constexpr OSType MovieAID = qt_fourcc("moov");

// Media types.
constexpr OSType VideoMediaType = qt_fourcc("vide");
constexpr OSType SoundMediaType = qt_fourcc("soun");
constexpr OSType TimeCodeMediaType = qt_fourcc("tmcd");
constexpr OSType TextMediaType = qt_fourcc("text");
constexpr OSType MPEGMediaType = qt_fourcc("MPEG");

// Media characteristics.
constexpr OSType VisualMediaCharacteristic = qt_fourcc("eyes");
constexpr OSType AudioMediaCharacteristic = qt_fourcc("ears");
constexpr OSType kCharacteristicHasVideoFrameRate = qt_fourcc("vfrr");
constexpr OSType kCharacteristicIsAnMpegTrack = qt_fourcc("mpeg");

// MediaGetPublicInfo of an MPEG media: its frame rate, a Fixed.
constexpr OSType kMPEGMediaPublicInfoOriginalRate = qt_fourcc("orat");

// User data holding a name (the reel name of a time code source).
constexpr OSType kUserDataName = qt_fourcc("name");

// Component types and Apple's manufacturer code.
constexpr OSType kSoundDecompressor = qt_fourcc("sdec");
constexpr OSType DataHandlerType = qt_fourcc("dhlr");
constexpr OSType MediaHandlerType = qt_fourcc("mhlr");
constexpr OSType kAppleManufacturer = qt_fourcc("appl");

// Data reference types.
constexpr OSType AliasDataHandlerSubType = qt_fourcc("alis");
constexpr OSType URLDataHandlerSubType = qt_fourcc("url ");

// Gestalt selector of the QuickTime version.
constexpr OSType gestaltQuickTimeVersion = qt_fourcc("qtim");

// Properties of NewMovieFromProperties.
constexpr OSType kQTPropertyClass_DataLocation = qt_fourcc("dloc");
constexpr OSType kQTDataLocationPropertyID_CFURL = qt_fourcc("cfur");
constexpr OSType kQTDataLocationPropertyID_DataReference = qt_fourcc("dref");
constexpr OSType kQTPropertyClass_NewMovieProperty = qt_fourcc("mprp");
constexpr OSType kQTNewMoviePropertyID_DontInteractWithUser = qt_fourcc("intn");
constexpr OSType kQTPropertyClass_MovieInstantiation = qt_fourcc("mins");
constexpr OSType kQTMovieInstantiationPropertyID_DontAskUnresolvedDataRefs = qt_fourcc("aurn");

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
