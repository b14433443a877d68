// What an importer found in its input: duration, size and one info per track.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/kolmbase/timecode.h"
#include "lib/ruv/CTimeStamp.h"
#include "lib/ruv/RPtr.h"
#include "lib/ruv/RuvTypes.h"

namespace Ruv {
namespace CM {

class CM_API RTrackInfo : public kolmbase::object_refcount {
public:
    enum Kind { kVideo = 1, kAudio = 2 };

    ~RTrackInfo() override;
    virtual Kind getKind() const = 0;

    unsigned getIndex() const { return m_index; }
    unsigned getDataFormat() const { return m_format; }
    const CTimeStamp& getStart() const { return m_start; }
    const CTimeStamp& getDuration() const { return m_duration; }
    double getBitRate() const { return m_bit_rate; }
    uint64_t getSize() const { return m_size; }
    const kolmbase::timecode& getTimeCode() const { return m_timecode; }
    void setTimeCode(const kolmbase::timecode& tc) { m_timecode = tc; }

protected:
    RTrackInfo(unsigned index, unsigned format, CTimeStamp start, CTimeStamp duration,
               double bitRate, uint64_t size);

private:
    unsigned m_index;
    unsigned m_format;
    CTimeStamp m_start;
    CTimeStamp m_duration;
    double m_bit_rate;
    uint64_t m_size;
    kolmbase::timecode m_timecode;
};

class CM_API RVideoTrackInfo : public RTrackInfo {
public:
    // variant: a codec's sub-format code, 0 when none.
    static RPtr<RVideoTrackInfo> createWithData(unsigned index, unsigned format,
                                                CTimeStamp start, CTimeStamp duration,
                                                double bitRate, uint64_t size, unsigned width,
                                                unsigned height, Fixed64 frameRate,
                                                unsigned variant);
    Kind getKind() const override { return kVideo; }

    unsigned getWidth() const { return m_width; }
    unsigned getHeight() const { return m_height; }
    Fixed64 getFrameRate() const { return m_frame_rate; }
    unsigned getVariant() const { return m_variant; }

private:
    RVideoTrackInfo(unsigned index, unsigned format, CTimeStamp start, CTimeStamp duration,
                    double bitRate, uint64_t size, unsigned width, unsigned height,
                    Fixed64 frameRate, unsigned variant);

    unsigned m_width;
    unsigned m_height;
    Fixed64 m_frame_rate;
    unsigned m_variant;
};

class CM_API RAudioTrackInfo : public RTrackInfo {
public:
    static RPtr<RAudioTrackInfo> createWithData(unsigned index, unsigned format,
                                                CTimeStamp start, CTimeStamp duration,
                                                double bitRate, uint64_t size,
                                                unsigned channels, unsigned bitsPerChannel,
                                                Fixed64 sampleRate, unsigned variant);
    Kind getKind() const override { return kAudio; }

    unsigned getChannels() const { return m_channels; }
    unsigned getBitsPerChannel() const { return m_bits_per_channel; }
    Fixed64 getSampleRate() const { return m_sample_rate; }
    unsigned getVariant() const { return m_variant; }

private:
    RAudioTrackInfo(unsigned index, unsigned format, CTimeStamp start, CTimeStamp duration,
                    double bitRate, uint64_t size, unsigned channels, unsigned bitsPerChannel,
                    Fixed64 sampleRate, unsigned variant);

    unsigned m_channels;
    unsigned m_bits_per_channel;
    Fixed64 m_sample_rate;
    unsigned m_variant;
};

class CM_API RMovieInfo : public kolmbase::object_refcount {
public:
    static RPtr<RMovieInfo> create();
    ~RMovieInfo() override;

    double getDuration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    uint64_t getSize() const { return m_size; }
    void setSize(uint64_t bytes) { m_size = bytes; }

    // Keeps its own reference.
    void addTrack(const RPtr<RTrackInfo>& track);
    size_t getTrackCount() const { return m_tracks.size(); }
    RPtr<RTrackInfo> getTrack(size_t index) const;

private:
    RMovieInfo();

    double m_duration = 0;
    uint64_t m_size = 0;
    std::vector<RPtr<RTrackInfo>> m_tracks;
};

}  // namespace CM
}  // namespace Ruv
