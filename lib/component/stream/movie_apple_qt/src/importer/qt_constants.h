// The QuickTime values only the reader library passes: rates, the image
// description extensions it asks for, the sound format it extracts and the
// QuickTime version it needs. The codes the movie runtime names as well are in
// quicktime/movie_constants.h and quicktime/audio_extraction.h.
#pragma once

#include <cstdint>

#include "quicktime/audio_extraction.h"
#include "quicktime/movie_constants.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {
namespace qtcode {

// Rates as Fixed (16.16).
constexpr Fixed kRateForward = 0x10000;
constexpr Fixed kRateBackward = -0x10000;

// Image description extensions.
constexpr long kExtensionPixelAspect = qt_fourcc("pasp");
constexpr long kExtensionCleanAperture = qt_fourcc("clap");
constexpr long kExtensionFields = qt_fourcc("fiel");
constexpr long kExtensionElementaryStream = qt_fourcc("esds");

// The extracted sound: float, big-endian, packed.
constexpr UInt32 kLinearPcmFloatBigEndianPacked =
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;

// The oldest QuickTime the reader accepts.
constexpr long kMinimumQuickTimeVersion = 0x07000000;

}  // namespace qtcode
}  // namespace ns_movie_apple_qt
