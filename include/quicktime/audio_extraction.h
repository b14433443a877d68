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
