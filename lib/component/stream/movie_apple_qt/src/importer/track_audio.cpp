#include "importer/track_audio.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "importer/config.h"
#include "importer/failure_text.h"
#include "importer/log.h"
#include "importer/media_time.h"
#include "importer/qt_constants.h"
#include "importer/truncate.h"
#include "lib/kolmbase/ds_og.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

constexpr uint32_t kBytesPerSample = 4;
// The largest chunk buffer the reader makes. The sample rate and the chunk
// duration come from the movie; one second of 64 channels at 192 kHz fits.
constexpr uint64_t kMaxChunkBytes = 64u * 1024 * 1024;

}  // namespace

audio_track::audio_track()
    : m_extraction(nullptr),
      m_audio_buffer_list(nullptr),
      m_frames_per_read(default_frames_per_read),
      m_chunk_duration(default_chunk_duration),
      m_sample_rate(0.0),
      m_channel_count(0),
      m_bits_per_channel(0),
      m_start_time(0.0),
      m_end_time(0.0),
      m_fill_failed(false) {
    m_kind = kind_audio;
    m_name = "audio";
}

audio_track::~audio_track() {
    if (m_audio_buffer_list) {
        std::free(m_audio_buffer_list->mBuffers[0].mData);
        std::free(m_audio_buffer_list);
    }
    if (m_extraction) MovieAudioExtractionEnd(m_extraction);
}

int audio_track::open(Movie movie) {
    if (!movie) return status_no_movie;
    m_movie = movie;

    // The extraction covers the whole movie.
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    if (movie_scale > 0) m_duration = movie_time{GetMovieDuration(movie), movie_scale}.seconds();

    Track sound = GetMovieIndTrackType(movie, 1, AudioMediaCharacteristic,
                                       movieTrackCharacteristic | movieTrackEnabledOnly);
    if (sound) compute_start_times(sound);

    if (m_extraction) return status_failed;
    if (MovieAudioExtractionBegin(movie, 0, &m_extraction) != noErr) {
        m_extraction = nullptr;
        return status_failed;
    }

    const Boolean discrete = config::instance().extract_discrete() ? 1 : 0;
    MovieAudioExtractionSetProperty(m_extraction, kQTPropertyClass_MovieAudioExtraction_Movie,
                                    kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete,
                                    sizeof discrete, &discrete);

    AudioStreamBasicDescription format = {};
    if (MovieAudioExtractionGetProperty(
            m_extraction, kQTPropertyClass_MovieAudioExtraction_Audio,
            kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription, sizeof format,
            &format, nullptr) != noErr)
        return status_failed;
    m_sample_rate = format.mSampleRate;
    m_channel_count = format.mChannelsPerFrame;
    m_bits_per_channel = format.mBitsPerChannel;
    if (m_bits_per_channel == 0 || !(m_sample_rate > 0.0) || m_channel_count == 0)
        return status_failed;

    m_frames_per_read = truncate_to<uint32_t>(m_sample_rate * m_chunk_duration + 0.5);
    // A chunk of no frames would never move the extraction on.
    if (m_frames_per_read == 0) m_frames_per_read = 1;
    const uint64_t chunk_bytes = uint64_t(m_frames_per_read) * kBytesPerSample * m_channel_count;
    if (chunk_bytes > kMaxChunkBytes) return status_failed;

    m_codec = kFloat32Format;
    format.mFormatFlags = qtcode::kLinearPcmFloatBigEndianPacked;
    format.mBitsPerChannel = 32;
    format.mBytesPerFrame = kBytesPerSample * m_channel_count;
    format.mBytesPerPacket = kBytesPerSample * m_channel_count;

    if (!allocate_buffers()) return status_failed;

    return MovieAudioExtractionSetProperty(
               m_extraction, kQTPropertyClass_MovieAudioExtraction_Audio,
               kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription, sizeof format,
               &format) == noErr
               ? status_ok
               : status_failed;
}

bool audio_track::allocate_buffers() {
    if (!m_audio_buffer_list) {
        m_audio_buffer_list =
            static_cast<AudioBufferList*>(std::calloc(1, sizeof(AudioBufferList)));
        kolmbase::ds_og::abort_if(0 == m_audio_buffer_list, "0 == m_audio_buffer_list",
                                  "lib/component/stream/movie_apple_qt/src/importer/track", 2803);
    }
    AudioBuffer& buffer = m_audio_buffer_list->mBuffers[0];
    std::free(buffer.mData);
    const uint32_t bytes = m_frames_per_read * kBytesPerSample * m_channel_count;
    m_audio_buffer_list->mNumberBuffers = 1;
    buffer.mNumberChannels = m_channel_count;
    buffer.mDataByteSize = bytes;
    buffer.mData = std::calloc(bytes, 1);
    return buffer.mData != nullptr;
}

int audio_track::reset() {
    reset_run();
    return 0;
}

// The first output sample frame whose chunk, shifted onto the import's time
// line, is not before zero there (a time less than a microsecond before zero
// counts as zero where frames are delivered).
int64_t audio_track::first_frame_at_zero() const {
    const double shift = double(m_time_shift);
    const auto before_zero = [&](int64_t n) { return double(n) / m_sample_rate + shift <= -1e-6; };
    int64_t n = truncate_to<int64_t>(std::ceil((-shift - 1e-6) * m_sample_rate));
    if (n < 0) n = 0;
    // The estimate is off by rounding only: a step either way settles it.
    for (int step = 0; step < 2 && before_zero(n) && n < INT64_MAX; ++step) ++n;
    for (int step = 0; step < 2 && n > 0 && !before_zero(n - 1); ++step) --n;
    return n;
}

int audio_track::seek(double start, double end) {
    reset();
    if (m_movie) {
        // Extraction time 0 is movie time 0: empty edits that lead a sound
        // track are part of the extraction, as silence.
        double from = start - double(m_shown_media_start);
        if (from < 0.0) from = 0.0;
        TimeRecord time = {};
        time.scale = GetMovieTimeScale(m_movie);
        int64_t value = truncate_to<int64_t>(from * double(time.scale));
        // Sound before zero on the import's time line is never delivered, and
        // a chunk across zero would be dropped whole with the sound after zero
        // in it: start at the first sample frame at or after zero. Movie time
        // units are too coarse for that, so the time counts sample frames.
        const double zero_at = -double(m_time_shift);
        if (from < zero_at) {
            const bool whole_rate =
                m_sample_rate == std::floor(m_sample_rate) && m_sample_rate <= double(INT32_MAX);
            if (whole_rate) {
                value = first_frame_at_zero();
                time.scale = TimeScale(m_sample_rate);
            } else {
                value = truncate_to<int64_t>(std::ceil(zero_at * double(time.scale) - 1e-3));
            }
        }
        time.value.lo = uint32_t(uint64_t(value));
        time.value.hi = int32_t(value >> 32);
        time.base = GetMovieTimeBase(m_movie);

        bool known = false;
        if (m_extraction) {
            MovieAudioExtractionSetProperty(
                m_extraction, kQTPropertyClass_MovieAudioExtraction_Movie,
                kQTMovieAudioExtractionMoviePropertyID_CurrentTime, sizeof time, &time);
            TimeRecord now = {};
            if (MovieAudioExtractionGetProperty(m_extraction,
                                                kQTPropertyClass_MovieAudioExtraction_Movie,
                                                kQTMovieAudioExtractionMoviePropertyID_CurrentTime,
                                                sizeof now, &now, nullptr) == noErr &&
                now.scale != 0) {
                const int64_t now_value =
                    int64_t(uint64_t(uint32_t(now.value.hi)) << 32 | now.value.lo);
                m_start_time = double(now_value) / double(now.scale);
                known = true;
            }
        }
        if (!known) m_start_time = config::instance().start_time();
    }
    m_end_time = end;
    return status_ok;
}

int audio_track::read() {
    if (!m_active) return status_inactive;
    if (!m_extraction || !m_audio_buffer_list) return status_failed;

    AudioBuffer& buffer = m_audio_buffer_list->mBuffers[0];
    const uint32_t capacity = m_frames_per_read * kBytesPerSample * m_channel_count;
    buffer.mDataByteSize = capacity;
    UInt32 frames = m_frames_per_read;
    UInt32 flags = 0;
    const OSErr err =
        MovieAudioExtractionFillBuffer(m_extraction, &frames, m_audio_buffer_list, &flags);
    // The reader stays active: the next read asks QuickTime again. A run of
    // failures at one place is said once.
    if (err != noErr) {
        if (!m_fill_failed) {
            const double bytes_per_second =
                double(m_channel_count) * m_sample_rate * kBytesPerSample;
            const double at = m_start_time + double(m_byte_count) / bytes_per_second;
            log::instance().error(0, 0, "the sound at %.3f s of '%s' cannot be read: %s", at,
                                  source_name().c_str(), media_read_failure(err, nullptr).c_str());
        }
        m_fill_failed = true;
        return status_failed;
    }
    m_fill_failed = false;
    if (flags & kQTMovieAudioExtractionComplete) {
        m_active = false;
        return status_finished;
    }

    if (frames > m_frames_per_read) frames = m_frames_per_read;
    const uint32_t size = frames * m_channel_count * kBytesPerSample;
    const double bytes_per_second = double(m_channel_count) * m_sample_rate * kBytesPerSample;
    const double time = m_start_time + double(m_byte_count) / bytes_per_second;
    const double duration = double(frames) / m_sample_rate;

    frame* chunk = audio_frame::create(size, time, time, duration, m_frame_count);
    if (!chunk) {
        m_active = false;
        return status_failed;
    }
    std::memcpy(chunk->data(), buffer.mData, size);
    m_frame_count += 1;
    m_byte_count += size;
    if (!push_frame(chunk)) {
        m_active = false;
        return status_failed;
    }
    if (chunk->display_time() > m_end_time) m_active = false;
    return status_ok;
}

}  // namespace ns_movie_apple_qt
