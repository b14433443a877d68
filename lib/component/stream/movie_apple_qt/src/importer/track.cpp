#include "importer/track.h"

#include <cstring>
#include <new>

#include "importer/media_time.h"
#include "importer/qt_constants.h"
#include "importer/shown_media.h"
#include "importer/sync_sample.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

track::track()
    : m_kind(kind_none),
      m_enabled(false),
      m_start(0.0),
      m_duration(0.0),
      m_queue_index(-1),
      m_codec(0),
      m_movie(nullptr),
      m_frame_count(0),
      m_byte_count(0),
      m_name("UNKNOWN"),
      m_active(true),
      m_decoder_config(nullptr),
      m_decoder_config_size(0),
      m_shown_media_start(0.0f),
      m_time_shift(0.0f),
      m_sync_start(0.0f),
      m_shown_track_start(0.0f),
      m_timecode(kolmbase::timecode::mode_none) {}

track::~track() {
    reset_run();
    delete[] m_decoder_config;
}

bool track::push_frame(frame* f) {
    if (!f) return true;
    const double shift = m_time_shift;
    const double decode_time = f->decode_time();
    f->set_times(f->display_time() + shift);
    f->set_decode_time(shift + decode_time);
    try {
        m_frames.push_back(f);
    } catch (const std::bad_alloc&) {
        release_frame(f, true);
        return false;
    }
    return true;
}

frame* track::pop_frame() {
    if (m_frames.empty()) return nullptr;
    frame* f = m_frames.front();
    m_frames.pop_front();
    return f;
}

void track::reset_run() {
    m_byte_count = 0;
    m_frame_count = 0;
    m_active = true;
    while (!m_frames.empty()) {
        frame* f = m_frames.front();
        m_frames.pop_front();
        release_frame(f, true);
    }
}

bool track::set_decoder_config(const uint8_t* data, uint32_t size) {
    uint8_t* copy = new (std::nothrow) uint8_t[size ? size : 1];
    if (!copy) return false;
    if (size) std::memcpy(copy, data, size);
    delete[] m_decoder_config;
    m_decoder_config = copy;
    m_decoder_config_size = size;
    return true;
}

// The start times come from the track's first edit that shows media, after
// any empty edits.
void track::compute_start_times(Track qt_track) {
    m_shown_media_start = 0.0f;
    m_shown_track_start = 0.0f;
    Media media = GetTrackMedia(qt_track);
    if (!media) return;
    const TimeScale movie_scale = GetMovieTimeScale(m_movie);
    const TimeScale scale = GetMediaTimeScale(media);
    const edit_walk walk = walk_edits(qt_track, kAfterEveryTrack, movie_scale, scale, true);
    if (!walk.shown.empty()) set_start_times(media, walk.shown.front(), movie_scale, scale);
}

// The sync sample found is the one the video reader starts from: the one
// decoding reaches the frame shown at the edit's start from.
void track::set_start_times(Media media, const shown_edit& shown, TimeScale movie_scale,
                            TimeScale media_scale) {
    if (media_scale <= 0 || movie_scale <= 0) return;
    const media_time shown_at{shown.media_start, media_scale};
    media_time sync_at = shown_at;
    const TimeValue64 found = sync_for_frame_shown_at(media, shown_at.value);
    if (found != -1) sync_at.value = found;
    m_shown_media_start = float(shown_at.seconds());
    m_sync_start = float(sync_at.seconds());
    m_shown_track_start = float(movie_time{shown.start, movie_scale}.seconds());
}

}  // namespace ns_movie_apple_qt
