// Frames: one sample (video) or one chunk of samples (audio) with its times.
#pragma once

#include <cstdint>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/kolmbase/timecode.h"
#include "lib/ruv/CTimeStamp.h"
#include "lib/ruv/RPtr.h"
#include "lib/ruv/RuvTypes.h"

namespace Ruv {
namespace CM {

class CM_API RFrame : public kolmbase::object_refcount {
public:
    enum Kind { kVideo = 1, kAudio = 2 };

    ~RFrame() override;

    virtual Kind getKind() const = 0;

    unsigned getSequenceNumber() const { return m_sequence; }
    const CTimeStamp& getTimeStamp() const { return m_time_stamp; }
    void setTimeStamp(const CTimeStamp& t) { m_time_stamp = t; }
    const CTimeStamp& getDecodeTime() const { return m_decode_time; }
    void setDecodeTime(const CTimeStamp& t) { m_decode_time = t; }
    const CTimeStamp& getDuration() const { return m_duration; }
    unsigned getDataFormat() const { return m_format; }
    unsigned getDataLength() const { return m_length; }
    const unsigned char* getData() const { return m_data; }

protected:
    // Takes the buffer over (flags kConstructTakeOver, freed with free()) or
    // copies it (kConstructCopy); a null data with a non-zero length gives a
    // zero-filled buffer. The decode time starts equal to the time stamp.
    RFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration, unsigned format,
           unsigned length, unsigned char* data, ConstructionFlags flags);
    // false when a copy could not be allocated.
    bool hasData() const { return m_data != nullptr || m_length == 0; }

private:
    unsigned m_sequence;
    CTimeStamp m_time_stamp;
    CTimeStamp m_decode_time;
    CTimeStamp m_duration;
    unsigned m_format;
    unsigned m_length;
    unsigned char* m_data;
};

class CM_API RVideoFrame : public RFrame {
public:
    // Frame types.
    enum : unsigned { kKeyFrame = 0x5F5F5F69 /* ___i */, kPredicted = 0x5F5F5F70 /* ___p */ };

    // Null when the frame cannot be made; a buffer taken over is then freed.
    static RPtr<RVideoFrame> createWithData(unsigned sequence, CTimeStamp timeStamp,
                                            CTimeStamp duration, unsigned format,
                                            unsigned length, unsigned char* data,
                                            unsigned frameType, ConstructionFlags flags);

    Kind getKind() const override { return kVideo; }
    unsigned getFrameType() const { return m_frame_type; }
    const kolmbase::timecode& getTimeCode() const { return m_timecode; }
    void setTimeCode(const kolmbase::timecode& tc) { m_timecode = tc; }

private:
    RVideoFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration, unsigned format,
                unsigned length, unsigned char* data, unsigned frameType,
                ConstructionFlags flags);

    unsigned m_frame_type;
    kolmbase::timecode m_timecode;
};

class CM_API RAudioFrame : public RFrame {
public:
    // sampleCount and channelLayout 0: the stream's description tells.
    static RPtr<RAudioFrame> createWithData(unsigned sequence, CTimeStamp timeStamp,
                                            CTimeStamp duration, unsigned format,
                                            unsigned length, unsigned char* data,
                                            unsigned sampleCount, unsigned channelLayout,
                                            ConstructionFlags flags);

    Kind getKind() const override { return kAudio; }
    unsigned getSampleCount() const { return m_sample_count; }
    unsigned getChannelLayout() const { return m_channel_layout; }

private:
    RAudioFrame(unsigned sequence, CTimeStamp timeStamp, CTimeStamp duration, unsigned format,
                unsigned length, unsigned char* data, unsigned sampleCount,
                unsigned channelLayout, ConstructionFlags flags);

    unsigned m_sample_count;
    unsigned m_channel_layout;
};

}  // namespace CM
}  // namespace Ruv
