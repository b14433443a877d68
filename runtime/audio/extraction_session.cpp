#include "audio/extraction_session.h"

#include <algorithm>
#include <cmath>

#include "audio/audio_constants.h"
#include "audio/checked_math.h"
#include "format/time_scale.h"

namespace qtrt::audio {

using qt_format::rescale_time;

namespace {

constexpr size_t kBlockFrames = 4096;

// A track's volume (8.8 fixed point) as a gain; negative volumes are muted.
float track_gain(const track_model& track) { return track.volume > 0 ? float(track.volume) / 256.0f : 0.0f; }

double highest_rate(const std::vector<sound_track_input>& inputs) {
    double rate = 0.0;
    for (const sound_track_input& in : inputs) rate = std::max(rate, in.source.format().sample_rate);
    return rate;
}

}  // namespace

extraction_session::extraction_session(TimeScale movie_time_scale, std::vector<sound_track_input> tracks)
    : m_movie_time_scale(movie_time_scale > 0 ? movie_time_scale : TimeScale(600)),
      m_inputs(std::move(tracks)),
      m_mixer({}, false) {
    build_layout();
}

void extraction_session::build_layout() {
    std::vector<mixer_track> tracks;
    for (const sound_track_input& in : m_inputs) tracks.push_back({in.source.channel_labels(), track_gain(in.track)});
    m_mixer = channel_mixer(tracks, m_discrete);
    m_format = output_format{};
    m_format.sample_rate = highest_rate(m_inputs);
    m_format.channels = m_mixer.output_channels();
    m_format_set = false;
    build_timelines(m_format.sample_rate);
}

void extraction_session::build_timelines(double output_rate) {
    m_timelines.clear();
    m_end_frame = 0;
    for (const sound_track_input& in : m_inputs) {
        m_timelines.emplace_back(in.track, m_movie_time_scale, in.source, output_rate);
        m_end_frame = std::max(m_end_frame, m_timelines.back().end_frame());
    }
}

void extraction_session::set_discrete(bool discrete) {
    m_discrete = discrete;
    const double old_rate = m_format.sample_rate;
    build_layout();
    m_position = rescale_time(m_position, old_rate, m_format.sample_rate);
}

AudioStreamBasicDescription extraction_session::default_description() const {
    AudioStreamBasicDescription d{};
    d.mSampleRate = highest_rate(m_inputs);
    d.mFormatID = kAudioFormatLinearPCM;
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    d.mBytesPerPacket = 4;
    d.mFramesPerPacket = 1;
    d.mBytesPerFrame = 4;
    d.mChannelsPerFrame = m_mixer.output_channels();
    for (const sound_track_input& in : m_inputs)
        d.mBitsPerChannel = std::max(d.mBitsPerChannel, in.source.format().bits_per_channel);
    return d;
}

AudioStreamBasicDescription extraction_session::description() const {
    if (!m_format_set) return default_description();
    AudioStreamBasicDescription d{};
    d.mSampleRate = m_format.sample_rate;
    d.mFormatID = kAudioFormatLinearPCM;
    d.mFormatFlags = kAudioFormatFlagIsPacked;
    if (m_format.is_float) d.mFormatFlags |= kAudioFormatFlagIsFloat;
    else d.mFormatFlags |= kAudioFormatFlagIsSignedInteger;
    if (m_format.big_endian) d.mFormatFlags |= kAudioFormatFlagIsBigEndian;
    if (m_format.non_interleaved) d.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
    d.mBytesPerFrame = m_format.buffer_frame_bytes();
    d.mBytesPerPacket = d.mBytesPerFrame;
    d.mFramesPerPacket = 1;
    d.mChannelsPerFrame = m_format.channels;
    d.mBitsPerChannel = m_format.bytes_per_sample * 8;
    return d;
}

OSStatus extraction_session::set_description(const AudioStreamBasicDescription& asbd) {
    output_format f;
    if (!output_format_from_asbd(asbd, f) || f.channels != m_mixer.output_channels()) return paramErr;
    const double old_rate = m_format.sample_rate;
    m_format = f;
    m_format_set = true;
    if (f.sample_rate != old_rate) {
        build_timelines(f.sample_rate);
        m_position = rescale_time(m_position, old_rate, f.sample_rate);
    }
    return noErr;
}

bool extraction_session::fills_on_any_thread() const {
    for (const sound_track_input& in : m_inputs)
        if (!in.reads_from_any_thread) return false;
    return true;
}

TimeRecord extraction_session::time_at(int64_t position) const {
    TimeRecord t{};
    const double rate = m_format.sample_rate;
    int64_t value = position;
    if (rate == std::floor(rate) && rate <= 0x7FFFFFFF) {
        t.scale = TimeScale(rate);
    } else {
        t.scale = m_movie_time_scale;
        value = rescale_time(position, rate, m_movie_time_scale);
    }
    t.value.lo = uint32_t(uint64_t(value));
    t.value.hi = int32_t(value >> 32);
    t.base = m_time_base;
    return t;
}

OSStatus extraction_session::set_current_time(const TimeRecord& time) {
    if (time.scale <= 0) return paramErr;
    const int64_t value = int64_t(uint64_t(uint32_t(time.value.hi)) << 32 | time.value.lo);
    const int64_t frame = rescale_time(std::max<int64_t>(value, 0), time.scale, m_format.sample_rate);
    m_position = std::min(frame, m_end_frame);
    m_time_base = time.base;
    return noErr;
}

OSStatus extraction_session::fill(uint32_t& frames, AudioBufferList& list, uint32_t& flags) {
    flags = 0;
    const size_t fit = frames_that_fit(m_format, list);
    if (fit == 0 && frames != 0) return paramErr;
    const int64_t left = m_end_frame - m_position;
    if (left <= 0) {
        frames = 0;
        flags = kQTMovieAudioExtractionComplete;
        for (uint32_t b = 0; b < m_format.buffer_count() && b < list.mNumberBuffers; ++b)
            (&list.mBuffers[0])[b].mDataByteSize = 0;
        return noErr;
    }
    const size_t total = std::min<size_t>({size_t(frames), fit, size_t(std::min<int64_t>(left, SIZE_MAX))});
    const uint32_t out_channels = m_format.channels;
    for (size_t done = 0; done < total;) {
        const size_t n = std::min(kBlockFrames, total - done);
        // Every output channel has at least one track adding to it, and
        // -0.0 + x is x for every x, so a single track's samples pass through
        // bit for bit (a float source's -0.0 included).
        m_mix_block.assign(float_count(int64_t(n), out_channels), -0.0f);
        for (size_t t = 0; t < m_timelines.size(); ++t) {
            m_track_block.resize(float_count(int64_t(n), m_timelines[t].channels()));
            const OSErr err = m_timelines[t].render(m_position, n, m_track_block.data());
            if (err != noErr) {
                // The frames already delivered stay delivered; the error
                // comes with the next fill, which starts where this one failed.
                if (done == 0) return err;
                frames = uint32_t(done);
                return noErr;
            }
            m_mixer.add(t, m_track_block.data(), n, m_mix_block.data());
        }
        write_frames(m_format, m_mix_block.data(), done, n, list);
        m_position += int64_t(n);
        done += n;
    }
    frames = uint32_t(total);
    return noErr;
}

}  // namespace qtrt::audio
