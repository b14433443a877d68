// The QuickTime codes and flags the reader library passes: media types,
// characteristics, search flags, sample flags, extraction properties and the
// movie-opening properties, as QuickTime publishes them.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {
namespace qtcode {

// Media types and characteristics.
constexpr OSType kVideoMediaType = qt_fourcc("vide");
constexpr OSType kSoundMediaType = qt_fourcc("soun");
constexpr OSType kTimeCodeMediaType = qt_fourcc("tmcd");
constexpr OSType kVisualCharacteristic = qt_fourcc("eyes");
constexpr OSType kAudioCharacteristic = qt_fourcc("ears");
constexpr OSType kFrameRateCharacteristic = qt_fourcc("vfrr");
constexpr OSType kMpegCharacteristic = qt_fourcc("mpeg");
// MediaGetPublicInfo: the frame rate of an MPEG media, a Fixed.
constexpr OSType kMediaInfoFrameRate = qt_fourcc("orat");

// Sound decompressor components: subtype the data format they decode.
constexpr OSType kSoundDecompressorType = qt_fourcc("sdec");

// GetMovieIndTrackType flags.
constexpr int32_t kTrackByMediaType = 1;
constexpr int32_t kTrackByCharacteristic = 2;
constexpr int32_t kTrackEnabledOnly = 4;

// Next-interesting-time flags.
constexpr int16_t kNextTimeMediaSample = 1;
constexpr int16_t kNextTimeTrackEdit = 4;
constexpr int16_t kNextTimeSyncSample = 8;
constexpr int16_t kNextTimeStep = 16;
constexpr int16_t kNextTimePartialSyncSample = 0x20;
constexpr int16_t kNextTimeEdgeOK = 0x4000;

// Sample flags of GetMediaSample2.
constexpr MediaSampleFlags kSampleNotSync = 0x1;
constexpr MediaSampleFlags kSamplePartialSync = 0x10000;

// Rates as Fixed (16.16).
constexpr Fixed kRateForward = 0x10000;
constexpr Fixed kRateBackward = -0x10000;

// Image description extensions.
constexpr long kExtensionPixelAspect = qt_fourcc("pasp");
constexpr long kExtensionCleanAperture = qt_fourcc("clap");
constexpr long kExtensionFields = qt_fourcc("fiel");
constexpr long kExtensionElementaryStream = qt_fourcc("esds");

// User data holding the reel name of a time code source.
constexpr OSType kUserDataName = qt_fourcc("name");

// Time code definition flags.
constexpr int32_t kTimeCodeDropFrame = 1;

// Movie audio extraction properties: classes, then IDs.
constexpr QTPropertyClass kExtractionMovieClass = qt_fourcc("xmov");
constexpr QTPropertyClass kExtractionAudioClass = qt_fourcc("xaud");
constexpr QTPropertyID kExtractionDiscreteChannels = qt_fourcc("disc");
constexpr QTPropertyID kExtractionCurrentTime = qt_fourcc("time");
constexpr QTPropertyID kExtractionStreamDescription = qt_fourcc("asbd");
// FillBuffer's completion flag.
constexpr UInt32 kExtractionComplete = 1;
// The extracted sound's data format.
constexpr OSType kFloat32Format = qt_fourcc("fl32");
// Float, big-endian, packed.
constexpr UInt32 kLinearPcmFloatBigEndianPacked = 1 | 2 | 8;

// Result code of a media whose samples add up to no time.
constexpr OSErr kInvalidDuration = -2014;
// File Manager result codes that reads of media data answer.
constexpr OSErr kReadError = -19;
constexpr OSErr kEndOfFile = -39;
constexpr OSErr kFileNotFound = -43;

// Movie opening.
constexpr OSType kGestaltQuickTimeVersion = qt_fourcc("qtim");
constexpr long kMinimumQuickTimeVersion = 0x07000000;
constexpr QTPropertyClass kPropertyClassDataLocation = qt_fourcc("dloc");
constexpr QTPropertyID kDataLocationCFURL = qt_fourcc("cfur");
constexpr QTPropertyID kDataLocationDataReference = qt_fourcc("dref");
constexpr QTPropertyClass kPropertyClassNewMovie = qt_fourcc("mprp");
constexpr QTPropertyID kNewMovieDontInteractWithUser = qt_fourcc("intn");
constexpr QTPropertyClass kPropertyClassInstantiation = qt_fourcc("mins");
constexpr QTPropertyID kInstantiationDontAskUnresolved = qt_fourcc("aurn");

}  // namespace qtcode
}  // namespace ns_movie_apple_qt
