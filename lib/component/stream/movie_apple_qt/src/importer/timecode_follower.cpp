#include "importer/timecode_follower.h"

#include <limits>

#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "importer/timecode_mode.h"
#include "importer/truncate.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

// value * numerator / denominator in 64-bit integers; a product that does
// not fit is computed in floating point and brought back into range.
int64_t rescale(int64_t value, int64_t numerator, int64_t denominator) {
    if (denominator <= 0) return 0;
    const int64_t limit = std::numeric_limits<int64_t>::max();
    if (numerator == 0 || (value < limit / numerator && value > -(limit / numerator)))
        return value * numerator / denominator;
    return truncate_to<int64_t>(double(value) * double(numerator) / double(denominator));
}

}  // namespace

kolmbase::timecode read_start_timecode(Movie movie) {
    const kolmbase::timecode none(kolmbase::timecode::mode_none);
    Track timecode_track = GetMovieIndTrackType(movie, 1, TimeCodeMediaType, movieTrackMediaType);
    if (!timecode_track) return none;
    Media media = GetTrackMedia(timecode_track);
    if (!media) return none;
    MediaHandler handler = GetMediaHandler(media);
    if (!handler) return none;
    long frame_number = 0;
    TimeCodeDef definition = {};
    TimeCodeRecord record = {};
    if (TCGetCurrentTimeCode(handler, &frame_number, &definition, &record, nullptr) != noErr)
        return none;
    const uint32_t mode = timecode_mode(definition);
    return mode == kolmbase::timecode::mode_5994_drop ? timecode_after_frames(mode, frame_number)
                                                       : timecode_from_record(mode, record);
}

timecode_follower::timecode_follower()
    : m_handler(nullptr),
      m_current(kolmbase::timecode::mode_none),
      // A previous mode of 1 lets the first sample take whatever time code
      // it shows.
      m_mode(kolmbase::timecode::mode_none) {}

void timecode_follower::follow(Movie movie) {
    Track timecode_track = GetMovieIndTrackType(movie, 1, TimeCodeMediaType, movieTrackMediaType);
    Media media = timecode_track ? GetTrackMedia(timecode_track) : nullptr;
    m_handler = media ? GetMediaHandler(media) : nullptr;
}

std::string timecode_follower::read_reel_name() const {
    std::string name;
    if (!m_handler) return name;
    UserData source = nullptr;
    if (TCGetCurrentTimeCode(m_handler, nullptr, nullptr, nullptr, &source) != noErr || !source)
        return name;
    owned_handle text(NewHandle(0));
    if (text && GetUserDataText(source, text.get(), kUserDataName, 1, 0) == noErr &&
        text.size() > 0) {
        HLock(text.get());
        name.assign(reinterpret_cast<const char*>(text.bytes()), size_t(text.size()));
        HUnlock(text.get());
    }
    DisposeUserData(source);
    return name;
}

void timecode_follower::update(Movie movie, TimeValue64 decode_time, TimeValue64 decode_duration,
                               TimeScale media_scale) {
    const TimeScale movie_scale = GetMovieTimeScale(movie);
    const int64_t middle = decode_time + decode_duration / 2;
    SetMovieTimeValue(movie, TimeValue(rescale(middle, movie_scale, media_scale)));

    long frame_number = 0;
    TimeCodeDef definition = {};
    TimeCodeRecord record = {};
    if (TCGetCurrentTimeCode(m_handler, &frame_number, &definition, &record, nullptr) != noErr)
        return;
    const uint32_t mode = timecode_mode(definition);
    // Past the end of the time code track the mode falls to 1: the last
    // time code shown stays.
    if (mode == kolmbase::timecode::mode_none && m_mode != int32_t(mode)) return;
    m_mode = int32_t(mode);
    if (mode != kolmbase::timecode::mode_5994_drop) {
        m_current = timecode_from_record(mode, record);
        return;
    }
    // 59.94 drop-frame time codes are counted here rather than taken from the
    // time code media: the first such sample sets the count from its frame
    // number, every later one advances it by one frame.
    if (m_current.mode() != mode)
        m_current = timecode_after_frames(mode, frame_number);
    else
        m_current.advance();
}

}  // namespace ns_movie_apple_qt
