#include "lib/cm/CMFrame.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace Ruv {
namespace CM {
namespace {

// The frame's own buffer: data itself when taken over, otherwise a malloc'd
// copy (zero-filled when data is null). Null when there is nothing to hold or
// memory is short.
unsigned char* own_buffer(unsigned length, unsigned char* data, ConstructionFlags flags) {
    if (flags == kConstructTakeOver && data) return data;
    if (length == 0) return nullptr;
    if (!data) return static_cast<unsigned char*>(std::calloc(length, 1));
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(length));
    if (copy) std::memcpy(copy, data, length);
    return copy;
}

}  // namespace

RFrame::RFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration, unsigned format,
               unsigned length, unsigned char* data, ConstructionFlags flags)
    : m_sequence(sequence),
      m_time_stamp(timeStamp),
      m_decode_time(timeStamp),
      m_duration(duration),
      m_format(format),
      m_length(length),
      m_data(own_buffer(length, data, flags)) {}

RFrame::~RFrame() { std::free(m_data); }

RVideoFrame::RVideoFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration,
                         unsigned format, unsigned length, unsigned char* data,
                         unsigned frameType, ConstructionFlags flags)
    : RFrame(sequence, timeStamp, duration, format, length, data, flags),
      m_frame_type(frameType) {}

RPtr<RVideoFrame> RVideoFrame::createWithData(unsigned sequence, CTimeStamp timeStamp,
                                              CTimeStamp duration, unsigned format,
                                              unsigned length, unsigned char* data,
                                              unsigned frameType, ConstructionFlags flags) {
    RVideoFrame* frame = nullptr;
    try {
        frame = new RVideoFrame(sequence, timeStamp, duration, format, length, data, frameType,
                                flags);
    } catch (const std::bad_alloc&) {
        if (flags == kConstructTakeOver) std::free(data);
        return nullptr;
    }
    RPtr<RVideoFrame> counted(frame);
    return counted->hasData() ? counted : nullptr;
}

RAudioFrame::RAudioFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration,
                         unsigned format, unsigned length, unsigned char* data,
                         unsigned sampleCount, unsigned channelLayout, ConstructionFlags flags)
    : RFrame(sequence, timeStamp, duration, format, length, data, flags),
      m_sample_count(sampleCount),
      m_channel_layout(channelLayout) {}

RPtr<RAudioFrame> RAudioFrame::createWithData(unsigned sequence, CTimeStamp timeStamp,
                                              CTimeStamp duration, unsigned format,
                                              unsigned length, unsigned char* data,
                                              unsigned sampleCount, unsigned channelLayout,
                                              ConstructionFlags flags) {
    RAudioFrame* frame = nullptr;
    try {
        frame = new RAudioFrame(sequence, timeStamp, duration, format, length, data,
                                sampleCount, channelLayout, flags);
    } catch (const std::bad_alloc&) {
        if (flags == kConstructTakeOver) std::free(data);
        return nullptr;
    }
    RPtr<RAudioFrame> counted(frame);
    return counted->hasData() ? counted : nullptr;
}

}  // namespace CM
}  // namespace Ruv
