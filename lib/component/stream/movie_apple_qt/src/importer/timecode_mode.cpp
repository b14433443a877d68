#include "importer/timecode_mode.h"

#include "importer/qt_constants.h"

namespace ns_movie_apple_qt {

namespace {

// Frames counted in 24 hours: the nominal rate times 86,400 seconds, less the
// numbers drop-frame counting skips (per minute that is not a tenth one).
int64_t frames_per_day(const kolmbase::timecode& zero) {
    const int64_t nominal = int64_t(zero.frames_per_second()) * 86400;
    if (!zero.is_drop_frame() || zero.mode() == kolmbase::timecode::mode_24_drop) return nominal;
    const int64_t dropped_per_minute = zero.mode() == kolmbase::timecode::mode_5994_drop ? 4 : 2;
    return nominal - dropped_per_minute * (24 * 60 - 24 * 6);
}

}  // namespace

uint32_t timecode_mode(const TimeCodeDef& definition) {
    const bool drop = (definition.flags & tcDropFrame) != 0;
    switch (definition.numFrames) {
    case 24:
        return drop ? uint32_t(kolmbase::timecode::mode_24_drop) : 24u;
    case 25:
        return 25;
    case 30:
        if (drop) return kolmbase::timecode::mode_2997_drop;
        return definition.fTimeScale == 2997 ? uint32_t(kolmbase::timecode::mode_2997_nondrop)
                                             : 30u;
    case 50:
        return 50;
    case 60:
        return drop ? uint32_t(kolmbase::timecode::mode_5994_drop) : 60u;
    default:
        return kolmbase::timecode::mode_none;
    }
}

kolmbase::timecode timecode_from_record(uint32_t mode, const TimeCodeRecord& record) {
    return kolmbase::timecode(mode, record.t.hours, record.t.minutes, record.t.seconds,
                              record.t.frames, 1);
}

kolmbase::timecode timecode_after_frames(uint32_t mode, int64_t frame_number) {
    kolmbase::timecode tc(mode);
    if (frame_number <= 0) return tc;
    const int64_t day = frames_per_day(tc);
    int64_t count = day > 0 ? frame_number % day : frame_number;
    while (count-- > 0) tc.advance();
    return tc;
}

}  // namespace ns_movie_apple_qt
