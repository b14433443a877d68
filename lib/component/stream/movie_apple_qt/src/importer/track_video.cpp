#include "importer/track_video.h"

#include <algorithm>
#include <new>

#include "importer/config.h"
#include "importer/display_size.h"
#include "importer/failure_text.h"
#include "importer/frame_rate.h"
#include "importer/log.h"
#include "importer/media_time.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "importer/sample_bound.h"
#include "importer/shown_media.h"
#include "importer/shown_range.h"
#include "importer/truncate.h"
#include "importer/video_description.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// Samples read at most by one read() while their display times stay at or
// below -1 s (samples decoded long before the start of the range).
constexpr int kMaxSamplesPerRead = 256;
constexpr double kEarliestReturnedTime = -1.0;

// A track of several edits delivers at most this many times its samples, and
// a few more: each edit's run starts again from a sync sample, and one long
// group of pictures shown by many short edits would otherwise cost the
// product of the two.
constexpr uint64_t kSamplesPerStoredSample = 4;
constexpr uint64_t kSampleAllowance = 1024;

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
      m_start_time(0.0),
      m_cut_at_duration(false),
      m_media_scale(0),
      m_sample_limit(kNoSampleLimit),
      m_samples_left(kNoSampleLimit),
      m_cut_at(0) {
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
    m_track = find_video_track(movie);
    if (!m_track) return status_failed;
    Media media = GetTrackMedia(m_track);
    if (!media) return status_failed;

    const TimeScale movie_scale = GetMovieTimeScale(movie);
    if (movie_scale <= 0) return status_failed;
    const TimeValue track_duration = GetTrackDuration(m_track);
    m_duration = movie_time{track_duration, movie_scale}.seconds();
    if (!walk_track_edits(media, track_duration, movie_scale)) return status_failed;

    if (frame_rate_from_media(movie, m_frame_rate) != noErr &&
        !frame_rate_from_steps(movie, m_frame_rate))
        return status_failed;

    owned_handle description(NewHandleClear(16));
    if (!description) return status_failed;
    OSType handler_type = 0;
    GetMediaHandlerDescription(media, &handler_type, nullptr, nullptr);
    const long description_count = GetMediaSampleDescriptionCount(media);
    GetMediaSampleDescription(media, 1,
                              reinterpret_cast<SampleDescriptionHandle>(description.get()));
    if (GetMoviesError() != noErr || handler_type != VideoMediaType) return status_failed;

    std::vector<uint8_t> first;
    if (!copy_description(description.get(), sizeof(ImageDescription), first))
        return status_failed;
    video_description info;
    describe_video(first, read_extensions(description.get()), info);
    if (info.has_decoder_config)
        set_decoder_config(info.decoder_config.data(), uint32_t(info.decoder_config.size()));
    m_media = media;
    m_sample_bound.clear();
    store_format(info);
    m_timecode = read_start_timecode(movie);
    copy_descriptions(description.get(), std::move(first), description_count);
    m_timecode_follower.follow(movie);
    std::string reel_name = m_timecode_follower.read_reel_name();
    if (!reel_name.empty()) m_reel_name = std::move(reel_name);
    return status_ok;
}

Track video_track::find_video_track(Movie movie) const {
    for (long i = 1;; ++i) {
        Track candidate = GetMovieIndTrackType(movie, i, VisualMediaCharacteristic,
                                               movieTrackCharacteristic);
        if (!candidate) return nullptr;
        Media media = GetTrackMedia(candidate);
        if (!media) continue;
        OSType type = 0;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (GetMoviesError() == noErr && type == VideoMediaType) return candidate;
    }
}

// The reader places every edit's media where the edit shows it, for edits
// that play their media at rate 1. Frames of a dwell edit or of one at
// another rate would be shown at times the reader cannot give them: the
// track is left out rather than delivered wrong. The edits are walked once
// here; a track with one edit that shows media seeks without them.
bool video_track::walk_track_edits(Media media, TimeValue track_duration, TimeScale movie_scale) {
    m_media_scale = GetMediaTimeScale(media);
    if (m_media_scale <= 0) return false;
    const edit_walk walk = walk_edits(m_track, track_duration, movie_scale, m_media_scale, false);
    if (walk.refused.number != 0) {
        log::instance().error(0, 0,
                              "the video track of '%s' is left out: its edit %d (at %.3f s) %s",
                              source_name().c_str(), walk.refused.number,
                              movie_time{walk.refused.start, movie_scale}.seconds(),
                              walk.refused.why);
        return false;
    }
    if (walk.left_out_at >= 0)
        log::instance().error(0, 0,
                              "the video of '%s' shows its first %d edits only: the edits from "
                              "%.3f s on are left out",
                              source_name().c_str(), kMaxEditsWalked,
                              movie_time{walk.left_out_at, movie_scale}.seconds());
    m_edits = walk.shown;
    if (!m_edits.empty()) set_start_times(media, m_edits.front(), movie_scale, m_media_scale);
    // A track that shows its media once from media time 0 ends where the
    // track does: its last frame is cut there.
    m_cut_at_duration = m_edits.size() == 1 && m_edits.front().media_start == 0;
    m_sample_limit = kNoSampleLimit;
    if (m_edits.size() > 1) {
        const long samples = GetMediaSampleCount(media);
        m_sample_limit =
            kSamplesPerStoredSample * uint64_t(samples > 0 ? samples : 0) + kSampleAllowance;
    }
    return true;
}

void video_track::store_format(const video_description& info) {
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

    m_coded_width = info.width;
    m_coded_height = info.height;
    m_display_width = shown.width;
    m_display_height = shown.height;
    m_clean_aperture_width = info.aperture.width;
    m_clean_aperture_height = info.aperture.height;
    m_depth = info.depth;
    m_field_mode = info.field_mode;
    m_codec = info.format;
}

void video_track::copy_descriptions(Handle description, std::vector<uint8_t> first,
                                    long description_count) {
    m_sample_descriptions.clear();
    m_sample_descriptions.push_back(std::move(first));
    for (long index = 2; index <= description_count; ++index) {
        GetMediaSampleDescription(m_media, index,
                                  reinterpret_cast<SampleDescriptionHandle>(description));
        if (GetMoviesError() != noErr) continue;
        std::vector<uint8_t> copy;
        if (copy_description(description, sizeof(SampleDescription), copy))
            m_sample_descriptions.push_back(std::move(copy));
    }
}

std::vector<image_extension> video_track::read_extensions(Handle description) const {
    ImageDescriptionHandle image = reinterpret_cast<ImageDescriptionHandle>(description);
    const long types[] = {qtcode::kExtensionPixelAspect, qtcode::kExtensionCleanAperture,
                          qtcode::kExtensionFields, qtcode::kExtensionElementaryStream};
    std::vector<image_extension> extensions;
    for (long type : types) {
        Handle found = nullptr;
        if (GetImageDescriptionExtension(image, &found, type, 1) != noErr || !found) continue;
        owned_handle extension(found);
        HLock(found);
        const uint8_t* data = extension.bytes();
        const size_t size = size_t(extension.size() > 0 ? extension.size() : 0);
        extensions.push_back(image_extension{type, std::vector<uint8_t>(data, data + size)});
        HUnlock(found);
    }
    return extensions;
}

int video_track::reset() {
    reset_run();
    return 0;
}

// Every search here runs on decode time: QuickTime's 64-bit search by decode
// time finds sample starts, so the read position always stays on a sample
// boundary. For each edit the range shows, the run goes from the sync sample
// its first frame decodes from to the last sample, in decode order, it shows;
// the samples decoded between are references the decoder needs.
int video_track::seek(double start, double /*end: the range ends at the configured end time*/) {
    reset();
    if (!m_movie || !m_track || !m_media) return status_failed;
    m_start_time = start;

    const TimeScale movie_scale = GetMovieTimeScale(m_movie);
    const double end_time = config::instance().end_time();
    const TimeValue from = truncate_to<TimeValue>(double(movie_scale) * start);
    TimeValue to = kAfterEveryTrack;
    if (double(movie_scale) * end_time < double(to))
        to = truncate_to<TimeValue>(double(movie_scale) * end_time + 0.5);
    m_samples_left = m_sample_limit;
    std::vector<read_segment> runs;
    const bool found = find_shown_range(m_track, m_media, m_edits, movie_scale, m_media_scale,
                                        std::max<TimeValue>(from, 0), to, m_sample_limit, runs,
                                        m_cut_at);
    // Nothing shown in the range leaves no run: the first read ends the run.
    m_cursor.start(std::move(runs), found);
    return found ? status_ok : status_failed;
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

TimeValue64 video_track::next_sample_time() {
    TimeValue64 t = -1;
    GetMediaNextInterestingDecodeTime(m_media, nextTimeMediaSample | nextTimeEdgeOK,
                                      m_cursor.search_from(), qtcode::kRateForward, &t, nullptr);
    return m_cursor.found(t);
}

int video_track::read_sample(frame*& out) {
    out = nullptr;
    if (!m_media) return status_failed;
    owned_handle description(NewHandleClear(16));
    if (!description) return status_failed;

    if (m_samples_left == 0) {
        log_sample_limit(m_cursor.edit_number());
        m_active = false;
        return status_end;
    }
    const TimeValue64 t = next_sample_time();
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
        if (m_cut_at != 0) log_sample_limit(m_cut_at);
        return status_end;
    }
    const TimeScale media_scale = GetMediaTimeScale(m_media);
    if (media_scale <= 0) return status_failed;
    // A sample QuickTime cannot locate (its bytes are not in its data) ends
    // the run like one that cannot be read.
    if (err != noErr) {
        log_unreadable_sample(media_time{t, media_scale}, err);
        m_active = false;
        return status_failed;
    }
    uint32_t format = 0;
    if (description.size() >= Size(sizeof(SampleDescription)))
        format = reinterpret_cast<const SampleDescription*>(description.bytes())->dataFormat;

    sample_times times = m_cursor.stamp(decode_duration, display_offset, media_scale);
    const bool past_run = m_cursor.past_run();
    if (m_cut_at_duration && !end_at_track_duration(times, past_run, decode_duration))
        return status_failed;
    if (m_timecode_follower.following())
        m_timecode_follower.update(m_movie, t, decode_duration, media_scale);

    // A sample is counted before it is read: one refused or unreadable, or
    // past the range and let go, counts too.
    const uint64_t number = m_frame_count++;
    frame* f =
        make_frame(description.get(), size, format, times, flags, t, media_scale, number);
    if (!f) return status_failed;
    if (past_run) {
        release_frame(f, true);
        m_active = false;
        if (m_cut_at != 0) log_sample_limit(m_cut_at);
        return status_end;
    }
    m_cursor.delivered(t, decode_duration, times.decode, media_scale);
    if (m_samples_left != kNoSampleLimit) --m_samples_left;
    out = f;
    return status_ok;
}

// The track ends where its one edit does: a sample after the run that
// starts past that end is no part of the track, and the run's last sample
// ends with it. References inside the run keep their durations: their
// successors decode after them.
bool video_track::end_at_track_duration(sample_times& times, bool past_run,
                                        TimeValue64 decode_duration) const {
    if (past_run) return !(times.decode > m_duration);
    const bool last_of_run = m_cursor.last_of_run(decode_duration);
    if (last_of_run && times.decode < m_duration && times.decode + times.duration > m_duration)
        times.duration = m_duration - times.decode;
    return true;
}

frame* video_track::make_frame(Handle description, ByteCount size, uint32_t format,
                               const sample_times& times, MediaSampleFlags flags, TimeValue64 t,
                               TimeScale media_scale, uint64_t number) {
    const bool key_frame =
        !((flags & mediaSampleNotSync) != 0 && (flags & mediaSamplePartialSync) == 0);
    // The size comes from the movie: a size its data cannot hold, or a buffer
    // that cannot be had, fails this read like a sample that cannot be read.
    if (!m_sample_bound.possible(m_media, description, size)) {
        log_refused_sample(media_time{t, media_scale}, uint32_t(size),
                           "more than the data it is stored in holds");
        m_active = false;
        return nullptr;
    }
    frame* f = video_frame::create(size, format, times.display, times.decode, times.duration,
                                   number, uint32_t(m_coded_width), uint32_t(m_coded_height),
                                   m_timecode_follower.current(), key_frame);
    if (!f) {
        log_refused_sample(media_time{t, media_scale}, uint32_t(size),
                           "more than can be allocated");
        m_active = false;
        return nullptr;
    }
    ByteCount read_size = 0;
    const OSErr err = GetMediaSample2(m_media, f->data(), f->size(), &read_size, t, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr);
    if (err != noErr) {
        log_unreadable_sample(media_time{t, media_scale}, err);
        release_frame(f, true);
        m_active = false;
        return nullptr;
    }
    return f;
}

void video_track::log_unreadable_sample(media_time decode_time, OSErr err) const {
    log::instance().error(0, 0, "the video sample at %.3f s of '%s' cannot be read: %s",
                          decode_time.seconds(), source_name().c_str(),
                          media_read_failure(err, m_media).c_str());
}

void video_track::log_refused_sample(media_time decode_time, uint32_t size,
                                     const char* why) const {
    log::instance().error(0, 0,
                          "the video sample at %.3f s of '%s' cannot be read: its size, %u bytes, "
                          "is %s",
                          decode_time.seconds(), source_name().c_str(), unsigned(size), why);
}

void video_track::log_sample_limit(int edit_number) const {
    log::instance().error(0, 0,
                          "the video of '%s' stops at its edit %d: its edits would deliver more "
                          "than %llu frames, %llu times its samples and %llu more; the frames "
                          "from there on are left out",
                          source_name().c_str(), edit_number,
                          static_cast<unsigned long long>(m_sample_limit),
                          static_cast<unsigned long long>(kSamplesPerStoredSample),
                          static_cast<unsigned long long>(kSampleAllowance));
}

}  // namespace ns_movie_apple_qt
