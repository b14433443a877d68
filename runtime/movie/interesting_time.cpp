#include "movie/interesting_time.h"

#include <algorithm>

#include "movie/time_mapping.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

constexpr int32_t kMediaFlags = nextTimeMediaSample | nextTimeMediaEdit | nextTimeSyncSample |
                                 nextTimePartialSyncSample | nextTimeStep;

// The first sample that starts after t (or at t with at_edge), forward; the
// last that starts before t (or at t), backward.
bool sample_boundary(const sample_table& s, int64_t t, bool forward, bool at_edge, uint32_t& index) {
    const uint32_t n = s.count();
    if (n == 0) return false;
    if (forward) {
        if (t < 0) {
            index = 0;
            return true;
        }
        if (t >= s.decode_end()) return false;
        uint32_t i = 0;
        if (!s.find_by_decode_time(t, i)) return false;
        if (at_edge && s.decode_time(i) == t) {
            index = i;
            return true;
        }
        if (i + 1 >= n) return false;
        index = i + 1;
        return true;
    }
    if (t < 0 || (t == 0 && !at_edge)) return false;
    if (t >= s.decode_end()) {
        index = n - 1;
        return s.decode_time(index) < t || at_edge;
    }
    uint32_t i = 0;
    if (!s.find_by_decode_time(t, i)) return false;
    if (s.decode_time(i) < t || at_edge) {
        index = i;
        return true;
    }
    if (i == 0) return false;
    index = i - 1;
    return true;
}

// The first sample of a chunk (a group of samples stored together) at or
// after index (forward) or at or before it (backward).
bool chunk_start(const sample_table& s, uint32_t index, bool forward, uint32_t& found) {
    uint32_t chunk = s.sample(index).chunk;
    uint32_t first = 0, count = 0;
    s.chunk_samples(chunk, first, count);
    if (first == index || !forward) {
        found = first;
        return true;
    }
    if (++chunk >= s.chunk_count()) return false;
    s.chunk_samples(chunk, first, count);
    found = first;
    return count > 0;
}

// What a search on a track's time line looks for in the media.
struct track_search {
    bool edits;         // nextTimeTrackEdit: every edit's start and the track's end
    bool media_edits;   // nextTimeMediaEdit: chunk starts, by decode time
    bool frames;        // nextTimeMediaSample, nextTimeStep: display starts
    bool sync;          // nextTimeSyncSample, nextTimePartialSyncSample
    sample_table::kind sync_kind;
};

track_search search_of(int32_t flags) {
    track_search s{};
    s.edits = (flags & nextTimeTrackEdit) != 0;
    s.media_edits = (flags & nextTimeMediaEdit) != 0;
    s.frames = (flags & (nextTimeMediaSample | nextTimeStep)) != 0;
    s.sync = (flags & (nextTimeSyncSample | nextTimePartialSyncSample)) != 0;
    s.sync_kind = (flags & nextTimePartialSyncSample) ? sample_table::kind::sync_or_partial
                                                      : sample_table::kind::sync;
    return s;
}

// Calls visit with each edit that lasts, as a span of the track's time line,
// in search order, until visit answers false. Nothing is allocated: a track
// may have many edits.
template <typename Visit>
void for_each_span(const track_model& track, bool forward, Visit visit) {
    const std::vector<edit_entry>& edits = track.edits;
    if (forward) {
        int64_t start = 0;
        for (size_t i = 0; i < edits.size(); ++i) {
            const int64_t end = start + edits[i].track_duration;
            if (end > start && !visit(edit_span{i, start, end})) return;
            start = end;
        }
        return;
    }
    int64_t end = 0;
    for (const edit_entry& e : edits) end += e.track_duration;
    for (size_t i = edits.size(); i-- > 0;) {
        const int64_t start = end - edits[i].track_duration;
        if (end > start && !visit(edit_span{i, start, end})) return;
        end = start;
    }
}

// Where the frame shown from media display time m stops being shown: the
// next display start, or the end of the last frame.
int64_t frame_end(const sample_table& s, int64_t m) {
    int64_t next = 0;
    if (s.next_display_start(m, true, false, next)) return next;
    uint32_t index = 0;
    return s.find_by_display_time(m, index) ? m + s.duration(index) : m;
}

// The media search inside one edit that shows media: the nearest frame,
// sync sample or media edit start in [media_start, media_end) on the search's
// side of `from`, as a media time.
bool media_candidate(const track_model& track, const track_search& search, int64_t from,
                     bool forward, bool edge, int64_t media_start, int64_t media_end,
                     int64_t& media_time) {
    const sample_table& s = track.media.samples;
    bool found = false;
    auto offer = [&](int64_t m) {
        if (m < media_start || m >= media_end) return;
        if (!found || (forward ? m < media_time : m > media_time)) media_time = m;
        found = true;
    };
    int64_t m = 0, d = 0;
    if (search.frames && s.next_display_start(from, forward, edge, m)) offer(m);
    if (search.sync && s.next_display_start(from, forward, edge, m, search.sync_kind)) offer(m);
    if (search.media_edits &&
        media_next_interesting(track.media, nextTimeMediaEdit | (edge ? nextTimeEdgeOK : 0), from,
                               forward, m, d))
        offer(m);
    return found;
}

}  // namespace

bool media_next_interesting(const media_model& media, int32_t flags, int64_t t, bool forward,
                            int64_t& time, int64_t& duration) {
    const sample_table& s = media.samples;
    const bool at_edge = (flags & nextTimeEdgeOK) != 0;
    uint32_t boundary = 0;
    if (!(flags & kMediaFlags) || !sample_boundary(s, t, forward, at_edge, boundary)) return false;
    bool found = false;
    uint32_t best = 0;
    auto offer = [&](uint32_t index) {
        if (!found || (forward ? index < best : index > best)) best = index;
        found = true;
    };
    if (flags & (nextTimeMediaSample | nextTimeStep)) offer(boundary);
    uint32_t found_index = 0;
    if ((flags & (nextTimeSyncSample | nextTimePartialSyncSample)) &&
        s.next_sync(boundary, forward, (flags & nextTimePartialSyncSample) != 0, found_index))
        offer(found_index);
    if ((flags & nextTimeMediaEdit) && chunk_start(s, boundary, forward, found_index))
        offer(found_index);
    if (!found) return false;
    time = s.decode_time(best);
    duration = s.duration(best);
    return true;
}

bool track_next_interesting(const track_model& track, TimeScale movie_scale, int32_t flags,
                            int64_t t, bool forward, int64_t& time, int64_t& duration) {
    const track_search search = search_of(flags);
    const sample_table& s = track.media.samples;
    const bool at_edge = (flags & nextTimeEdgeOK) != 0;
    bool found = false;
    int64_t best = 0, best_duration = 0;
    auto offer = [&](int64_t candidate, int64_t candidate_duration) {
        bool qualifies = forward ? (candidate > t || (at_edge && candidate == t))
                                 : (candidate < t || (at_edge && candidate == t));
        if (!qualifies || (found && !(forward ? candidate < best : candidate > best))) return;
        best = candidate;
        best_duration = candidate_duration;
        found = true;
    };

    int64_t track_end = 0;
    for_each_span(track, forward, [&](const edit_span& span) {
        track_end = std::max(track_end, span.end);
        // Edits lie in order: once one edit gave an answer, a later one (in
        // search order) cannot be nearer.
        if (found) return false;
        // Nothing in an edit wholly on the other side of t qualifies.
        if (forward ? span.end <= t : span.start > t) return true;
        const edit_entry& e = track.edits[span.index];
        if (search.edits) offer(span.start, span.end - span.start);
        if (e.empty()) return true;
        const int64_t media_start = e.media_time;
        // An edit's start shows a new frame, for as long as that frame lasts
        // in the edit; a dwell edit shows that one frame throughout.
        if (search.frames) {
            const int64_t end = e.dwell() ? span.end
                                          : media_to_track_time(track, movie_scale, span,
                                                                frame_end(s, media_start));
            offer(span.start, std::min(end, span.end) - span.start);
        }
        if (e.dwell() || !(search.sync || search.media_edits || search.frames)) return true;
        // The media range this edit shows, and where in it the search starts.
        const int64_t media_end = edit_media_end(track, movie_scale, span);
        int64_t from = 0;
        if (t < span.start)
            from = forward ? media_start - 1 : media_start;
        else if (t >= span.end)
            from = media_end;
        else
            track_to_media_time(track, movie_scale, t, from);
        const bool edge = (t >= span.start && t < span.end) ? at_edge : !forward && t < span.start;
        int64_t m = 0;
        if (!media_candidate(track, search, from, forward, edge, media_start, media_end, m))
            return true;
        const int64_t tt = media_to_track_time(track, movie_scale, span, m);
        const int64_t end = media_to_track_time(track, movie_scale, span, frame_end(s, m));
        offer(tt, std::max<int64_t>(std::min(end, span.end) - tt, 0));
        return true;
    });
    // The end of the track counts as an empty edit of no duration.
    if (search.edits) offer(track_end, 0);
    if (!found) return false;
    time = best;
    duration = best_duration;
    return true;
}

}  // namespace qtrt
