// Movie audio extraction (QuickTime 7): the session reference and the Core
// Audio descriptions of the sound it delivers. Core Audio's structures use
// natural alignment.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

typedef struct MovieAudioExtractionRefRecord* MovieAudioExtractionRef;

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

// Core Audio's format of linear PCM and its flags.
constexpr uint32_t kAudioFormatLinearPCM = qt_fourcc("lpcm");
constexpr uint32_t kAudioFormatFlagIsFloat = 1u << 0;
constexpr uint32_t kAudioFormatFlagIsBigEndian = 1u << 1;
constexpr uint32_t kAudioFormatFlagIsSignedInteger = 1u << 2;
constexpr uint32_t kAudioFormatFlagIsPacked = 1u << 3;
constexpr uint32_t kAudioFormatFlagIsAlignedHigh = 1u << 4;
constexpr uint32_t kAudioFormatFlagIsNonInterleaved = 1u << 5;

// The data format of 32-bit float sound.
constexpr OSType kFloat32Format = qt_fourcc("fl32");

// Movie audio extraction properties and FillBuffer's completion flag.
constexpr OSType kQTPropertyClass_MovieAudioExtraction_Movie = qt_fourcc("xmov");
constexpr OSType kQTPropertyClass_MovieAudioExtraction_Audio = qt_fourcc("xaud");
constexpr OSType kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete = qt_fourcc("disc");
constexpr OSType kQTMovieAudioExtractionMoviePropertyID_CurrentTime = qt_fourcc("time");
constexpr OSType kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription =
    qt_fourcc("asbd");
constexpr uint32_t kQTMovieAudioExtractionComplete = 1u << 0;
