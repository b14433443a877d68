// Codes of movie audio extraction and Core Audio stream descriptions, as
// Apple's QuickTime 7 and Core Audio references publish them.
#pragma once

#include <cstdint>

#include "quicktime/audio_extraction.h"
#include "quicktime/mac_types.h"

namespace qtrt::audio {

// Sound sample description formats.
constexpr OSType kFormatTwos = qt_fourcc("twos");
constexpr OSType kFormatSowt = qt_fourcc("sowt");
constexpr OSType kFormatRaw = qt_fourcc("raw ");
constexpr OSType kFormatNone = qt_fourcc("NONE");
constexpr OSType kFormatIn24 = qt_fourcc("in24");
constexpr OSType kFormatIn32 = qt_fourcc("in32");
constexpr OSType kFormatFl64 = qt_fourcc("fl64");
constexpr OSType kFormatLpcm = qt_fourcc("lpcm");
constexpr OSType kFormatUlaw = qt_fourcc("ulaw");
constexpr OSType kFormatAlaw = qt_fourcc("alaw");
// Not a four-character code: 8-bit 'raw ' or 16-bit 'twos' by the sample size.
constexpr OSType kFormatUnspecified = 0;
constexpr OSType kFormatAac = qt_fourcc("mp4a");
constexpr OSType kFormatAppleLossless = qt_fourcc("alac");
constexpr OSType kFormatIma4 = qt_fourcc("ima4");
constexpr OSType kFormatMp3 = qt_fourcc(".mp3");
constexpr OSType kFormatMp3WaveTag = 0x6D730055;  // 'ms' and WAVE format tag 0x0055
constexpr OSType kFormatMsAdpcm = 0x6D730002;     // Microsoft ADPCM, WAVE format tag 0x0002
constexpr OSType kFormatImaWav = 0x6D730011;      // IMA ADPCM in the WAV layout, WAVE format tag 0x0011
constexpr OSType kFormatMace3 = qt_fourcc("MAC3");
constexpr OSType kFormatMace6 = qt_fourcc("MAC6");
constexpr OSType kFormatQDesign2 = qt_fourcc("QDM2");
constexpr OSType kFormatQDesign = qt_fourcc("QDMC");
constexpr OSType kFormatPureVoice = qt_fourcc("Qclp");
constexpr OSType kFormatGsm = qt_fourcc("agsm");
constexpr OSType kFormatAmrNarrowband = qt_fourcc("samr");
constexpr OSType kFormatAmrWideband = qt_fourcc("sawb");
constexpr OSType kFormatAc3 = qt_fourcc("ac-3");
constexpr OSType kFormatEnhancedAc3 = qt_fourcc("ec-3");
constexpr OSType kFormatFlac = qt_fourcc("fLaC");
constexpr OSType kFormatOpus = qt_fourcc("Opus");

// Extension atoms of a sound description.
constexpr OSType kAtomWave = qt_fourcc("wave");
constexpr OSType kAtomEnda = qt_fourcc("enda");
constexpr OSType kAtomEsds = qt_fourcc("esds");
constexpr OSType kAtomAlac = qt_fourcc("alac");
constexpr OSType kAtomFlacConfig = qt_fourcc("dfLa");
constexpr OSType kAtomOpusConfig = qt_fourcc("dOps");
constexpr OSType kAtomChannelLayout = qt_fourcc("chan");

// Result codes of this area.
constexpr OSStatus kQTPropertyBadValueSizeErr = -2184;
constexpr OSStatus kQTPropertyNotSupportedErr = -2195;
constexpr OSStatus noSoundTrackInMovieErr = -2054;
// Core Audio's kAudioConverterErr_FormatNotSupported: the movie has sound, but
// in no format this runtime decodes.
constexpr OSStatus kAudioConverterErr_FormatNotSupported = OSStatus(qt_fourcc("fmt?"));

}  // namespace qtrt::audio
