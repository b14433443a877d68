#include "movie/time_code.h"

#include <cstdlib>

#include "format/atom_walk.h"
#include "format/atom_types.h"
#include "movie/movie_access.h"
#include "movie/movie_objects.h"
#include "movie/time_mapping.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using qt_format::scale_time;

using namespace qt_format::atom_types;

using qt_format::atom_reader;
using qt_format::atom;
using qt_format::next_atom;

bool parse_time_code_description(const std::vector<uint8_t>& bytes, time_code_description& out) {
    // Size, format, 6 reserved bytes, data reference index, 4 reserved
    // bytes, then flags, time scale, frame duration, frame count, 1 reserved
    // byte: 34 bytes.
    atom_reader r(bytes.data(), bytes.size());
    uint8_t frames = 0;
    if (!r.skip(20) || !r.read_i32(out.definition.flags) ||
        !r.read_i32(out.definition.fTimeScale) || !r.read_i32(out.definition.frameDuration) ||
        !r.read_u8(frames) || !r.skip(1))
        return false;
    out.definition.numFrames = frames;
    out.definition.padding = 0;
    out.source.clear();
    // The source reference: user data items, stored either inside a 'udta'
    // atom or directly after the fixed fields.
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        if (a.type != kAtomUdta) {
            user_data_item u;
            u.type = a.type;
            u.data.assign(a.body.current(), a.body.current() + a.body.remaining());
            out.source.push_back(std::move(u));
            continue;
        }
        atom item;
        bool bad = false;
        while (next_atom(a.body, item, bad)) {
            user_data_item u;
            u.type = item.type;
            u.data.assign(item.body.current(), item.body.current() + item.body.remaining());
            out.source.push_back(std::move(u));
        }
    }
    return true;
}

void frame_to_time_code(int32_t frame, const TimeCodeDef& def, TimeCodeRecord& record) {
    if (def.flags & tcCounter) {
        record.c.counter = frame;
        return;
    }
    const int64_t fps = def.numFrames;
    record.t = TimeCodeTime{0, 0, 0, 0};
    if (fps == 0) return;
    const bool negative = frame < 0 && (def.flags & tcNegTimesOK);
    int64_t f = frame < 0 ? (negative ? -int64_t(frame) : 0) : frame;
    if (def.flags & tcDropFrame) {
        // Drop-frame counting skips the first frame numbers of every minute
        // except every tenth: 2 at 30 frames per second, 4 at 60.
        const int64_t drop = (fps + 14) / 15;
        const int64_t per_minute = fps * 60 - drop;
        const int64_t per_ten_minutes = fps * 600 - drop * 9;
        const int64_t tens = f / per_ten_minutes;
        const int64_t rest = f % per_ten_minutes;
        f += drop * 9 * tens;
        if (rest > drop) f += drop * ((rest - drop) / per_minute);
    }
    int64_t hours = f / (fps * 3600);
    if (def.flags & tc24HourMax) hours %= 24;
    record.t.hours = uint8_t(hours & 0x7F);
    record.t.minutes = uint8_t(f / (fps * 60) % 60);
    record.t.seconds = uint8_t(f / fps % 60);
    record.t.frames = uint8_t(f % fps);
    if (negative) record.t.hours |= tctNegFlag;
}

OSErr current_time_code(media_object& media, int32_t& frame, time_code_description& description) {
    const track_object* track = media.track;
    const movie_object* movie = track->movie;
    const media_model& m = *media.model;
    int64_t media_time = 0;
    if (!track_to_media_time(*track->model, movie->model.time_scale, movie->current_time, media_time))
        return invalidTime;
    uint32_t index = 0;
    if (!m.samples.find_by_decode_time(media_time, index)) return invalidTime;
    const sample_info s = m.samples.sample(index);
    if (s.description_index == 0 || s.description_index > m.descriptions.size() ||
        !parse_time_code_description(m.descriptions[s.description_index - 1].bytes, description))
        return badImageDescription;
    if (s.size < 4) return invalidMedia;
    uint8_t counter[4];
    OSErr err = read_media_data(media_reference_of(&media),
                                m.descriptions[s.description_index - 1].data_ref_index, s.offset, 4,
                                counter);
    if (err != noErr) return err;
    atom_reader r(counter, 4);
    int32_t first = 0;
    if (!r.read_i32(first)) return invalidMedia;
    const TimeCodeDef& def = description.definition;
    int64_t elapsed = 0;
    if (def.frameDuration > 0 && def.fTimeScale > 0) {
        // Frames shown since the sample began, in the definition's time scale.
        int64_t in_sample = scale_time(media_time - s.decode_time, def.fTimeScale, m.time_scale);
        elapsed = in_sample / def.frameDuration;
    }
    frame = int32_t(first + elapsed);
    return noErr;
}

}  // namespace qtrt
