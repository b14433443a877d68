#include "importer/track_video.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "importer/config.h"
#include "importer/display_size.h"
#include "importer/failure_text.h"
#include "importer/frame_rate.h"
#include "importer/image_extensions.h"
#include "importer/log.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "importer/sample_bound.h"
#include "importer/shown_media.h"
#include "importer/sync_sample.h"
#include "importer/timecode_mode.h"
#include "importer/truncate.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Samples read at most by one read() while their display times stay at or
// below -1 s (samples decoded long before the start of the range).
constexpr int kMaxSamplesPerRead = 256;
constexpr double kEarliestReturnedTime = -1.0;

// Decoders reorder a handful of pictures (H.264 and HEVC at most 16): once
// this many samples in a row are shown after the range, none decoded later is
// shown inside it.
constexpr int kReorderWindow = 32;

// 59.94 drop-frame time codes are counted here rather than taken from the
// time code media: the first sample of the process that shows one sets the
// count from its frame number, every later one advances it by one frame.
bool g_drop_frame_60_seeded = false;

// value * numerator / denominator in 64-bit integers; a product that does
// not fit is computed in floating point and brought back into range.
int64_t rescale(int64_t value, int64_t numerator, int64_t denominator) {
    if (denominator <= 0) return 0;
    const int64_t limit = std::numeric_limits<int64_t>::max();
    if (numerator == 0 || (value < limit / numerator && value > -(limit / numerator)))
        return value * numerator / denominator;
    return truncate_to<int64_t>(double(value) * double(numerator) / double(denominator));
}

// Zeroes the data reference index of the description in the handle and
// copies exactly as many bytes as its size field gives; false when the handle
// holds less than the fixed record or than that size.
bool copy_description(Handle description, size_t fixed_size, std::vector<uint8_t>& copy) {
    const Size handle_size = GetHandleSize(description);
    if (handle_size < Size(fixed_size)) return false;
    HLock(description);
    SampleDescription* d = reinterpret_cast<SampleDescription*>(*description);
    d->dataRefIndex = 0;
    const bool whole = d->descSize >= int32_t(fixed_size) && d->descSize <= handle_size;
    if (whole) {
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(d);
        copy.assign(bytes, bytes + d->descSize);
    }
    HUnlock(description);
    return whole;
}

}  // namespace

// What the first image description and its extensions give.
struct video_track::image_description_info {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    uint32_t format = 0;
    pixel_aspect aspect;
    bool has_aspect = false;
    clean_aperture aperture;
    int32_t field_mode = 0;
    std::vector<uint8_t> copy;
};

video_track::video_track()
    : m_coded_width(0),
      m_coded_height(0),
      m_display_width(0),
      m_display_height(0),
      m_clean_aperture_width(0.0),
      m_clean_aperture_height(0.0),
      m_depth(0),
      m_frame_rate(0.0),
      m_field_mode(0),
      m_track(nullptr),
      m_media(nullptr),
      m_timecode_media(nullptr),
      m_timecode_handler(nullptr),
      m_current_timecode(kolmbase::timecode::mode_none),
      // A previous mode of 1 lets the first sample take whatever time code
      // it shows.
      m_timecode_mode(kolmbase::timecode::mode_none),
      m_position(0),
      m_end_position(0),
      m_start_time(0.0) {
    m_kind = kind_video;
    m_name = "video";
}

video_track::~video_track() = default;

video_track::description_bytes video_track::sample_description(size_t index) const {
    if (index >= m_sample_descriptions.size()) return {nullptr, 0};
    const std::vector<uint8_t>& copy = m_sample_descriptions[index];
    return {copy.data(), uint32_t(copy.size())};
}

std::vector<uint8_t> video_track::take_sample_description() {
    if (m_sample_descriptions.empty()) return {};
    std::vector<uint8_t> first = std::move(m_sample_descriptions.front());
    m_sample_descriptions.pop_front();
    return first;
}

int video_track::open(Movie movie) {
    if (!movie) return status_no_movie;
    try {
        return open_track(movie);
    } catch (const std::bad_alloc&) {
        return status_failed;
    }
}

int video_track::open_track(Movie movie) {
    m_movie = movie;

    Track video = nullptr;
    for (long i = 1;; ++i) {
        Track candidate = GetMovieIndTrackType(movie, i, qtcode::kVisualCharacteristic,
                                               qtcode::kTrackByCharacteristic);
        if (!candidate) break;
        Media media = GetTrackMedia(candidate);
        if (!media) continue;
        OSType type = 0;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (GetMoviesError() == noErr && type == qtcode::kVideoMediaType) {
            video = candidate;
            break;
        }
    }
    if (!video) return status_failed;
    m_track = video;
    Media media = GetTrackMedia(m_track);
    if (!media) return status_failed;

    compute_start_times(m_track);
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    if (movie_scale <= 0) return status_failed;
    // The frames run from the first sync sample to the end of the media the
    // edits show.
    const shown_media media_shown = find_shown_media(movie, m_track, 0, kAfterEveryTrack);
    m_duration =
        media_shown.any ? std::max(media_shown.end_seconds - double(m_sync_start), 0.0) : 0.0;

    if (frame_rate_from_media(movie, m_frame_rate) != noErr &&
        !frame_rate_from_steps(movie, m_frame_rate))
        return status_failed;

    owned_handle description(NewHandleClear(16));
    if (!description) return status_failed;
    OSType handler_type = 0;
    GetMediaHandlerDescription(media, &handler_type, nullptr, nullptr);
    const long description_count = GetMediaSampleDescriptionCount(media);
    GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(description.get()));
    if (GetMoviesError() != noErr || handler_type != qtcode::kVideoMediaType) return status_failed;

    image_description_info info;
    if (!read_first_description(description.get(), info)) return status_failed;
    apply_extensions(description.get(), info);

    Fixed track_width = 0, track_height = 0;
    GetTrackDimensions(m_track, &track_width, &track_height);
    display_size_input size_in;
    size_in.coded_width = info.width;
    size_in.coded_height = info.height;
    size_in.has_pixel_aspect = info.has_aspect;
    size_in.horizontal_spacing = info.aspect.horizontal;
    size_in.vertical_spacing = info.aspect.vertical;
    size_in.clean_aperture_width = info.aperture.width;
    size_in.clean_aperture_height = info.aperture.height;
    size_in.track_width = Fix2X(track_width);
    size_in.track_height = Fix2X(track_height);
    const display_size shown = compute_display_size(size_in);

    m_media = media;
    m_coded_width = info.width;
    m_coded_height = info.height;
    m_display_width = shown.width;
    m_display_height = shown.height;
    m_clean_aperture_width = info.aperture.width;
    m_clean_aperture_height = info.aperture.height;
    m_depth = info.depth;
    m_field_mode = info.field_mode;
    m_codec = info.format;

    read_start_timecode();

    m_sample_descriptions.clear();
    m_sample_descriptions.push_back(std::move(info.copy));
    for (long index = 2; index <= description_count; ++index) {
        GetMediaSampleDescription(media, index,
                                  reinterpret_cast<SampleDescriptionHandle>(description.get()));
        if (GetMoviesError() != noErr) continue;
        std::vector<uint8_t> copy;
        if (copy_description(description.get(), sizeof(SampleDescription), copy))
            m_sample_descriptions.push_back(std::move(copy));
    }

    Track timecode_track = GetMovieIndTrackType(movie, 1, qtcode::kTimeCodeMediaType,
                                                qtcode::kTrackByMediaType);
    m_timecode_media = timecode_track ? GetTrackMedia(timecode_track) : nullptr;
    m_timecode_handler = m_timecode_media ? GetMediaHandler(m_timecode_media) : nullptr;

    read_reel_name();
    return status_ok;
}

bool video_track::read_first_description(Handle description, image_description_info& info) {
    if (!copy_description(description, sizeof(ImageDescription), info.copy)) return false;
    ImageDescription fields;
    std::memcpy(&fields, info.copy.data(), sizeof fields);
    info.width = fields.width;
    info.height = fields.height;
    info.depth = fields.depth;
    info.format = fields.cType;
    return true;
}

void video_track::apply_extensions(Handle description, image_description_info& info) {
    ImageDescriptionHandle image = reinterpret_cast<ImageDescriptionHandle>(description);
    const long types[] = {qtcode::kExtensionPixelAspect, qtcode::kExtensionCleanAperture,
                          qtcode::kExtensionFields, qtcode::kExtensionElementaryStream};
    for (long type : types) {
        Handle found = nullptr;
        if (GetImageDescriptionExtension(image, &found, type, 1) != noErr || !found) continue;
        owned_handle extension(found);
        HLock(found);
        const uint8_t* data = extension.bytes();
        const size_t size = size_t(extension.size() > 0 ? extension.size() : 0);
        switch (type) {
        case qtcode::kExtensionPixelAspect:
            info.has_aspect = read_pixel_aspect(data, size, info.aspect);
            break;
        case qtcode::kExtensionCleanAperture:
            read_clean_aperture(data, size, info.aperture);
            break;
        case qtcode::kExtensionFields:
            read_field_mode(data, size, info.field_mode);
            break;
        case qtcode::kExtensionElementaryStream:
            set_decoder_config(data, uint32_t(size));
            break;
        }
        HUnlock(found);
    }
}

void video_track::read_start_timecode() {
    m_timecode = kolmbase::timecode(kolmbase::timecode::mode_none);
    Track timecode_track = GetMovieIndTrackType(m_movie, 1, qtcode::kTimeCodeMediaType,
                                                qtcode::kTrackByMediaType);
    if (!timecode_track) return;
    Media media = GetTrackMedia(timecode_track);
    if (!media) return;
    MediaHandler handler = GetMediaHandler(media);
    if (!handler) return;
    long frame_number = 0;
    TimeCodeDef definition = {};
    TimeCodeRecord record = {};
    if (TCGetCurrentTimeCode(handler, &frame_number, &definition, &record, nullptr) != noErr)
        return;
    const uint32_t mode = timecode_mode(definition);
    m_timecode = mode == kolmbase::timecode::mode_5994_drop ? timecode_after_frames(mode, frame_number)
                                                            : timecode_from_record(mode, record);
}

void video_track::read_reel_name() {
    if (!m_timecode_handler) return;
    UserData source = nullptr;
    if (TCGetCurrentTimeCode(m_timecode_handler, nullptr, nullptr, nullptr, &source) != noErr ||
        !source)
        return;
    owned_handle text(NewHandle(0));
    if (text && GetUserDataText(source, text.get(), qtcode::kUserDataName, 1, 0) == noErr &&
        text.size() > 0) {
        HLock(text.get());
        m_reel_name.assign(reinterpret_cast<const char*>(text.bytes()), size_t(text.size()));
        HUnlock(text.get());
    }
    DisposeUserData(source);
}

int video_track::reset() {
    reset_run();
    return 0;
}

// Every search here runs on decode time: QuickTime's 64-bit search by decode
// time finds sample starts, so the read position always stays on a sample
// boundary. The range runs from the sync sample that the frame shown first
// (by the edits, from the start on) decodes from, to the last sample, in
// decode order, that the edits show before the end; the samples decoded
// between are references the decoder needs.
int video_track::seek(double start, double /*end: the range ends at the configured end time*/) {
    reset();
    if (!m_movie || !m_track || !m_media) return status_failed;
    m_start_time = start;
    m_start_offset = 0;

    const TimeScale movie_scale = GetMovieTimeScale(m_movie);
    const double end_time = config::instance().end_time();
    const TimeValue from = truncate_to<TimeValue>(double(movie_scale) * start);
    TimeValue to = kAfterEveryTrack;
    if (double(movie_scale) * end_time < double(to))
        to = truncate_to<TimeValue>(double(movie_scale) * end_time + 0.5);
    const shown_media shown = find_shown_media(m_movie, m_track, std::max<TimeValue>(from, 0), to);
    if (!shown.any) {
        // Nothing shown in the range: the first read ends the run.
        m_position = 0;
        m_end_position = 0;
        return status_ok;
    }
    const TimeValue64 target = shown.first;

    TimeValue64 found = sync_for_frame_shown_at(m_media, target);
    if (found == -1) return status_failed;

    m_position = found;
    if (found < 0) {
        m_start_offset = -found;
        m_position = 0;
    } else if (found > target) {
        m_position = 0;
    }
    m_end_position = last_sample_shown(shown.last, m_position) + 1 + m_start_offset;
    return status_ok;
}

TimeValue64 video_track::last_sample_shown(TimeValue64 last_shown, TimeValue64 from) const {
    // Decode time, duration and display time of the sample decoded at t.
    auto sample_at = [this](TimeValue64 t, TimeValue64& start, TimeValue64& duration,
                            TimeValue64& shown) {
        TimeValue64 offset = 0;
        if (GetMediaSample2(m_media, nullptr, 0, nullptr, t, &start, &duration, &offset, nullptr,
                            nullptr, 1, nullptr, nullptr) != noErr)
            return false;
        shown = start + offset;
        return true;
    };
    // Start at a sync sample shown inside the range: no sample decoded before
    // it depends on a later one.
    TimeValue64 t = sync_for_frame_shown_at(m_media, last_shown);
    if (t < from) t = from;

    TimeValue64 last = from;
    int shown_after = 0;
    for (TimeValue64 start = 0, duration = 0, shown = 0;
         shown_after < kReorderWindow && sample_at(t, start, duration, shown) && duration > 0;
         t = start + duration) {
        if (shown <= last_shown) {
            last = start;
            shown_after = 0;
        } else {
            ++shown_after;
        }
    }
    return last;
}

int video_track::read() {
    if (!m_active) return m_frames.empty() ? status_inactive : status_ok;
    if (!m_movie) return status_no_movie;
    for (int i = 0; i < kMaxSamplesPerRead; ++i) {
        frame* f = nullptr;
        const int status = read_sample(f);
        if (status != status_ok) return status;
        const double display_time = f->display_time();
        if (!push_frame(f)) {
            m_active = false;
            return status_failed;
        }
        if (display_time > kEarliestReturnedTime) return status_ok;
    }
    return status_ok;
}

int video_track::read_sample(frame*& out) {
    out = nullptr;
    if (!m_media) return status_failed;
    owned_handle description(NewHandleClear(16));
    if (!description) return status_failed;

    TimeValue64 t = -1;
    GetMediaNextInterestingDecodeTime(m_media,
                                      qtcode::kNextTimeMediaSample | qtcode::kNextTimeEdgeOK,
                                      m_position, qtcode::kRateForward, &t, nullptr);
    const int64_t offset = m_start_offset;
    if (offset != 0) {
        t -= offset;
        if (t > offset) {
            m_position -= offset;
            m_start_offset = 0;
        }
    }

    ByteCount size = 0;
    TimeValue64 decode_duration = 0;
    TimeValue64 display_offset = 0;
    MediaSampleFlags flags = 0;
    OSErr err = GetMediaSample2(m_media, nullptr, 0, &size, t, nullptr, &decode_duration,
                                &display_offset,
                                reinterpret_cast<SampleDescriptionHandle>(description.get()),
                                nullptr, 1, nullptr, &flags);
    if (err == invalidTime) {
        // The end of the media: like the end of the range, it ends the run.
        m_active = false;
        return status_end;
    }
    const TimeScale media_scale = GetMediaTimeScale(m_media);
    if (media_scale <= 0) return status_failed;
    const double scale = double(media_scale);
    // A sample QuickTime cannot locate (its bytes are not in its data) ends
    // the run like one that cannot be read.
    if (err != noErr) {
        log_unreadable_sample(t, scale, err);
        m_active = false;
        return status_failed;
    }
    uint32_t format = 0;
    if (description.size() >= Size(sizeof(SampleDescription)))
        format = reinterpret_cast<const SampleDescription*>(description.bytes())->dataFormat;

    double decode_time = double(m_position - m_start_offset) / scale;
    double display_time = double(m_position + display_offset - m_start_offset) / scale;
    double duration = double(decode_duration) / scale;
    if (decode_time < 0.0 && decode_time + duration > 0.0) decode_time = 0.0;
    if (display_time < 0.0 && display_time + duration > 0.0) display_time = 0.0;

    if (m_timecode_handler) update_timecode(t, decode_duration, media_scale);

    const uint64_t number = m_frame_count;
    const bool key_frame =
        !((flags & qtcode::kSampleNotSync) != 0 && (flags & qtcode::kSamplePartialSync) == 0);

    // The size comes from the movie: a size its data cannot hold, or a buffer
    // that cannot be had, fails this read like a sample that cannot be read.
    if (!sample_size_possible(m_media, description.get(), size)) {
        log_refused_sample(t, scale, size, "more than the data it is stored in holds");
        m_active = false;
        return status_failed;
    }
    frame* f = video_frame::create(size, format, display_time, decode_time, duration, number,
                                   uint32_t(m_coded_width), uint32_t(m_coded_height),
                                   m_current_timecode, key_frame);
    if (!f) {
        log_refused_sample(t, scale, size, "more than can be allocated");
        m_active = false;
        return status_failed;
    }
    ByteCount read_size = 0;
    err = GetMediaSample2(m_media, f->data(), f->size(), &read_size, t, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 1, nullptr, nullptr);
    if (err != noErr) {
        log_unreadable_sample(t, scale, err);
        release_frame(f, true);
        m_active = false;
        return status_failed;
    }
    if (m_position >= m_end_position) {
        release_frame(f, true);
        m_active = false;
        return status_end;
    }
    m_position += decode_duration;
    ++m_frame_count;
    out = f;
    return status_ok;
}

void video_track::log_unreadable_sample(TimeValue64 decode_time, double scale, OSErr err) const {
    log::instance().error(0, 0, "the video sample at %.3f s of '%s' cannot be read: %s",
                          double(decode_time) / scale, source_name().c_str(),
                          media_read_failure(err, m_media).c_str());
}

void video_track::log_refused_sample(TimeValue64 decode_time, double scale, uint32_t size,
                                     const char* why) const {
    log::instance().error(0, 0, "the video sample at %.3f s of '%s' cannot be read: its size, %u bytes, is %s",
                          double(decode_time) / scale, source_name().c_str(), unsigned(size), why);
}

void video_track::update_timecode(TimeValue64 decode_time, TimeValue64 decode_duration,
                                  TimeScale media_scale) {
    const TimeScale movie_scale = GetMovieTimeScale(m_movie);
    const int64_t middle = decode_time + decode_duration / 2;
    SetMovieTimeValue(m_movie, TimeValue(rescale(middle, movie_scale, media_scale)));

    long frame_number = 0;
    TimeCodeDef definition = {};
    TimeCodeRecord record = {};
    if (TCGetCurrentTimeCode(m_timecode_handler, &frame_number, &definition, &record, nullptr) !=
        noErr)
        return;
    const uint32_t mode = timecode_mode(definition);
    // Past the end of the time code track the mode falls to 1: the last
    // time code shown stays.
    if (mode == kolmbase::timecode::mode_none && m_timecode_mode != int32_t(mode)) return;
    m_timecode_mode = int32_t(mode);
    if (mode != kolmbase::timecode::mode_5994_drop) {
        m_current_timecode = timecode_from_record(mode, record);
        return;
    }
    // A reader whose time code is not yet of this mode sets it too, so that
    // a later reader in the process does not advance a time code of another
    // mode.
    if (!g_drop_frame_60_seeded || m_current_timecode.mode() != mode) {
        g_drop_frame_60_seeded = true;
        m_current_timecode = timecode_after_frames(mode, frame_number);
    } else {
        m_current_timecode.advance();
    }
}

}  // namespace ns_movie_apple_qt
