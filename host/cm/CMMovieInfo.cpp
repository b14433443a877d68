#include "lib/cm/CMMovieInfo.h"

namespace Ruv {
namespace CM {

RTrackInfo::RTrackInfo(unsigned index, unsigned format, CTimeStamp start, CTimeStamp duration,
                       double bitRate, uint64_t size)
    : m_index(index),
      m_format(format),
      m_start(start),
      m_duration(duration),
      m_bit_rate(bitRate),
      m_size(size) {}

RTrackInfo::~RTrackInfo() = default;

RVideoTrackInfo::RVideoTrackInfo(unsigned index, unsigned format, CTimeStamp start,
                                 CTimeStamp duration, double bitRate, uint64_t size,
                                 unsigned width, unsigned height, Fixed64 frameRate,
                                 unsigned variant)
    : RTrackInfo(index, format, start, duration, bitRate, size),
      m_width(width),
      m_height(height),
      m_frame_rate(frameRate),
      m_variant(variant) {}

RPtr<RVideoTrackInfo> RVideoTrackInfo::createWithData(unsigned index, unsigned format,
                                                      CTimeStamp start, CTimeStamp duration,
                                                      double bitRate, uint64_t size,
                                                      unsigned width, unsigned height,
                                                      Fixed64 frameRate, unsigned variant) {
    return RPtr<RVideoTrackInfo>(new RVideoTrackInfo(index, format, start, duration, bitRate,
                                                     size, width, height, frameRate, variant));
}

RAudioTrackInfo::RAudioTrackInfo(unsigned index, unsigned format, CTimeStamp start,
                                 CTimeStamp duration, double bitRate, uint64_t size,
                                 unsigned channels, unsigned bitsPerChannel,
                                 Fixed64 sampleRate, unsigned variant)
    : RTrackInfo(index, format, start, duration, bitRate, size),
      m_channels(channels),
      m_bits_per_channel(bitsPerChannel),
      m_sample_rate(sampleRate),
      m_variant(variant) {}

RPtr<RAudioTrackInfo> RAudioTrackInfo::createWithData(unsigned index, unsigned format,
                                                      CTimeStamp start, CTimeStamp duration,
                                                      double bitRate, uint64_t size,
                                                      unsigned channels,
                                                      unsigned bitsPerChannel,
                                                      Fixed64 sampleRate, unsigned variant) {
    return RPtr<RAudioTrackInfo>(new RAudioTrackInfo(index, format, start, duration, bitRate,
                                                     size, channels, bitsPerChannel,
                                                     sampleRate, variant));
}

RMovieInfo::RMovieInfo() = default;

RMovieInfo::~RMovieInfo() = default;

RPtr<RMovieInfo> RMovieInfo::create() { return RPtr<RMovieInfo>(new RMovieInfo()); }

void RMovieInfo::addTrack(const RPtr<RTrackInfo>& track) {
    if (track) m_tracks.push_back(track);
}

RPtr<RTrackInfo> RMovieInfo::getTrack(size_t index) const {
    return index < m_tracks.size() ? m_tracks[index] : nullptr;
}

}  // namespace CM
}  // namespace Ruv
