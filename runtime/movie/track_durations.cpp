#include "movie/track_durations.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "movie/time_mapping.h"

namespace qtrt {

using qt_format::round_to;
using qt_format::scale_time;

namespace {

constexpr int64_t kMaxTime = std::numeric_limits<int64_t>::max();
constexpr OSType kVideoMedia = qt_fourcc("vide");

std::string seconds(long double units, TimeScale scale) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", double(units / scale));
    return text;
}

std::string track_text(const track_model& track) { return "track " + std::to_string(track.id); }

// The end of the last sample's display: a track in fragments without an edit
// list plays its media to there, so that samples shown after their decode
// (B-frames, with no edit to move them back) are not cut off at the end.
int64_t display_end(const sample_table& t) {
    int64_t end = t.decode_end();
    for (uint32_t k = t.count(); k > 0; --k) {
        const int64_t decode = t.decode_time(k - 1);
        const int64_t decode_end = decode + t.duration(k - 1);
        if (decode_end + int64_t(t.max_display_offset()) <= end) break;
        end = std::max(end, decode_end + t.display_offset(k - 1));
    }
    return end;
}

// The media lasts as long as its samples' durations add up to (samples at the
// end that last no time add nothing, unless no sample lasts any time); a media
// without samples as long as its header says.
int64_t media_duration(const track_model& track) {
    const media_model& m = track.media;
    if (m.samples.count() == 0) return m.duration;
    if (m.fragmented && track.edits.empty()) return display_end(m.samples);
    const int64_t stored = m.samples.stored_decode_end();
    return stored > 0 ? stored : m.samples.decode_end();
}

// Empty edits at the start of the list that last longer than any recording
// are damage: they are left out, so that the media is not placed years late.
void leave_out_long_leading_gap(track_model& track, TimeScale movie_scale,
                                std::vector<std::string>& warnings) {
    int64_t gap = 0;
    size_t count = 0;
    for (; count < track.edits.size() && track.edits[count].empty(); ++count)
        gap = std::min(gap, kMaxTime - track.edits[count].track_duration) +
              track.edits[count].track_duration;
    if (gap / movie_scale <= kMaxLeadingGapSeconds) return;
    // A track of empty edits alone keeps one, of no length: it still shows
    // nothing.
    track.edits.erase(track.edits.begin(), track.edits.begin() + long(count));
    if (track.edits.empty()) track.edits.push_back(edit_entry{0, -1, 0x10000});
    warnings.push_back(track_text(track) + ": its edits start with " + seconds(gap, movie_scale) +
                       " s of nothing, longer than any recording leaves empty (" +
                       std::to_string(kMaxLeadingGapSeconds / 3600) +
                       " hours): the movie is damaged, and the gap is left out");
}

// Where a track's first fragment starts later than time 0 and the movie atom
// holds none of its samples, the media starts there: an empty edit shows
// nothing until then, or the track's own edits are counted from there. A
// start later than any recording leaves empty is damage: the media starts at
// 0.
void place_late_start(track_model& track, TimeScale movie_scale,
                      std::vector<std::string>& warnings) {
    media_model& media = track.media;
    const int64_t start = media.fragment_start;
    if (start <= 0) return;
    if (!track.edits.empty()) {
        for (edit_entry& e : track.edits)
            if (!e.empty()) e.media_time = std::max<int64_t>(0, e.media_time - start);
        return;
    }
    if (start / media.time_scale > kMaxLeadingGapSeconds) {
        warnings.push_back(track_text(track) + ": its first movie fragment starts at " +
                           seconds(start, media.time_scale) +
                           " s, later than any recording leaves empty (" +
                           std::to_string(kMaxLeadingGapSeconds / 3600) +
                           " hours): the movie is damaged, and the gap is left out");
        return;
    }
    edit_entry gap;
    gap.track_duration = scale_time(start, movie_scale, media.time_scale);
    track.edits.push_back(gap);
    edit_entry all;
    all.media_time = 0;
    all.track_duration = scale_time(media.duration, movie_scale, media.time_scale, round_to::up);
    track.edits.push_back(all);
}

// A movie in fragments may end its edit list with an edit that lasts 0: its
// writer did not know how long the fragments would play. It shows the rest of
// the media from its media time.
void complete_open_edit(track_model& track, TimeScale movie_scale) {
    if (track.edits.empty()) return;
    edit_entry& last = track.edits.back();
    if (last.track_duration != 0 || last.empty() || last.dwell()) return;
    const int64_t rest = std::max<int64_t>(0, track.media.duration - last.media_time);
    const int64_t rate = last.rate > 0 ? last.rate : 0x10000;
    const int64_t played = scale_time(rest, 0x10000, rate, round_to::up);
    last.track_duration = scale_time(played, movie_scale, track.media.time_scale, round_to::up);
}

// Says where a video edit shows media past the media's last frame: nothing is
// shown there. Less than a tenth of a second is rounding.
void warn_edit_beyond_media(const track_model& track, TimeScale movie_scale,
                            std::vector<std::string>& warnings) {
    const media_model& media = track.media;
    if (media.handler_type != kVideoMedia || media.samples.count() == 0) return;
    const long double end = std::max(media.duration, display_end(media.samples));
    for (size_t i = 0; i < track.edits.size(); ++i) {
        const edit_entry& e = track.edits[i];
        if (e.empty() || e.dwell() || e.track_duration <= 0) continue;
        const long double rate = e.rate > 0 ? e.rate / 65536.0L : 1.0L;
        const long double reach =
            static_cast<long double>(e.media_time) +
            static_cast<long double>(e.track_duration) * media.time_scale / movie_scale * rate;
        const long double beyond = reach - std::max(end, static_cast<long double>(e.media_time));
        if (beyond * 10 <= media.time_scale) continue;
        warnings.push_back("video " + track_text(track) + ": edit " + std::to_string(i + 1) +
                           " shows " + seconds(beyond / rate, media.time_scale) +
                           " s past the end of its media, where there is no frame to show");
        return;
    }
}

}  // namespace

void derive_durations(movie_model& movie, bool in_fragments, std::vector<std::string>& warnings) {
    const TimeScale movie_scale = movie.time_scale;
    int64_t longest = 0;
    for (track_model& track : movie.tracks) {
        media_model& media = track.media;
        media.duration = media_duration(track);
        leave_out_long_leading_gap(track, movie_scale, warnings);
        place_late_start(track, movie_scale, warnings);
        if (in_fragments) complete_open_edit(track, movie_scale);
        if (track.edits.empty()) {
            edit_entry whole;
            whole.media_time = 0;
            whole.track_duration =
                scale_time(media.duration, movie_scale, media.time_scale, round_to::up);
            track.edits.push_back(whole);
        }
        // The edits end within the 64-bit range: a later edit is cut.
        int64_t total = 0;
        for (edit_entry& e : track.edits) {
            e.track_duration = std::min(e.track_duration, kMaxTime - total);
            total += e.track_duration;
        }
        track.duration = total;
        longest = std::max(longest, total);
        warn_edit_beyond_media(track, movie_scale, warnings);
    }
    if (!movie.tracks.empty()) movie.duration = longest;
}

}  // namespace qtrt
