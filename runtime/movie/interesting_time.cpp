#include "movie/interesting_time.h"

#include <algorithm>

#include "movie/movie_errors.h"
#include "movie/time_mapping.h"

namespace qtrt {
namespace {

constexpr int32_t kMediaFlags =
    nextTimeMediaSample | nextTimeSyncSample | nextTimePartialSyncSample | nextTimeStep;

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

bool nearer(bool forward, int64_t candidate, int64_t best) {
    return forward ? candidate < best : candidate > best;
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
    uint32_t sync = 0;
    if ((flags & (nextTimeSyncSample | nextTimePartialSyncSample)) &&
        s.next_sync(boundary, forward, (flags & nextTimePartialSyncSample) != 0, sync))
        offer(sync);
    if (!found) return false;
    time = s.decode_time(best);
    duration = s.duration(best);
    return true;
}

bool track_next_interesting(const track_model& track, TimeScale movie_scale, int32_t flags,
                            int64_t t, bool forward, int64_t& time, int64_t& duration) {
    const sample_table& s = track.media.samples;
    const bool at_edge = (flags & nextTimeEdgeOK) != 0;
    bool found = false;
    int64_t best = 0, best_duration = 0;
    auto offer = [&](int64_t candidate, int64_t candidate_duration) {
        bool qualifies = forward ? (candidate > t || (at_edge && candidate == t))
                                 : (candidate < t || (at_edge && candidate == t));
        if (!qualifies || (found && !nearer(forward, candidate, best))) return;
        best = candidate;
        best_duration = candidate_duration;
        found = true;
    };

    int64_t start = 0;
    std::vector<edit_span> spans;
    spans.reserve(track.edits.size());
    for (size_t i = 0; i < track.edits.size(); ++i) {
        int64_t end = start + track.edits[i].track_duration;
        if (end > start) spans.push_back({i, start, end});
        start = end;
    }
    if (!forward) std::reverse(spans.begin(), spans.end());

    for (const edit_span& span : spans) {
        const edit_entry& e = track.edits[span.index];
        if (e.empty()) continue;
        // Edits lie in order: once one edit gave an answer, a later one (in
        // search order) cannot be nearer.
        if (found) break;
        // An edit's start shows a new frame; it is a sync time only when the
        // media search below finds one there.
        if (flags & (nextTimeTrackEdit | nextTimeMediaSample | nextTimeStep))
            offer(span.start, span.end - span.start);
        if (!(flags & kMediaFlags)) continue;
        // The media range this edit shows, and where in it the search starts.
        const int64_t media_start = e.media_time;
        const int64_t media_end = edit_media_end(track, movie_scale, span);
        int64_t from = 0;
        if (t < span.start)
            from = forward ? media_start - 1 : media_start;
        else if (t >= span.end)
            from = media_end;
        else
            track_to_media_time(track, movie_scale, t, from);
        const bool edge = (t >= span.start && t < span.end) ? at_edge : !forward && t < span.start;
        int64_t m = 0, d = 0;
        bool hit = false;
        if (flags & nextTimeStep) {
            hit = s.next_display_start(from, forward, edge, m);
            if (hit) {
                uint32_t index = 0;
                d = s.find_by_display_time(m, index) ? s.duration(index) : 0;
            }
        } else {
            hit = media_next_interesting(track.media, flags | (edge ? nextTimeEdgeOK : 0), from,
                                         forward, m, d);
        }
        if (hit && m >= media_start && m < media_end) {
            int64_t tt = media_to_track_time(track, movie_scale, span, m);
            offer(tt, scale_time(d, movie_scale, track.media.time_scale));
        }
    }
    if (!found) return false;
    time = best;
    duration = best_duration;
    return true;
}

}  // namespace qtrt
