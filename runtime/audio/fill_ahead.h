// Filling an extraction ahead of its client, on a thread of its own.
//
// A client fills the same number of frames into buffers of the same sizes
// again and again (an importer takes the sound a video frame at a time).
// After a fill, the thread makes the next fills of that shape while the
// client works elsewhere: each is the very fill the client's own call would
// make, in the same order, so the frames, flags and errors it hands over are
// those of filling on the client's thread. A fill of another shape, or a
// change of the session, first returns the session to where the client's
// last fill left it. The warnings of a fill made ahead are sent when the
// client takes that fill; those of fills never taken are dropped with them.
// A client that calls again as soon as a fill returns gains nothing from the
// thread: once it does so on average, the fills already made are handed over
// and the next ones are made on the client's thread, until it works between
// fills again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/extraction_session.h"

namespace qtrt::audio {

class fill_ahead {
public:
    // The session must outlive this and, while it lives, be changed only
    // after settle().
    explicit fill_ahead(extraction_session& session);
    ~fill_ahead();
    fill_ahead(const fill_ahead&) = delete;
    fill_ahead& operator=(const fill_ahead&) = delete;

    // MovieAudioExtractionFillBuffer.
    OSStatus fill(uint32_t& frames, AudioBufferList& list, uint32_t& flags);
    // Where the client's fills have reached (the session runs ahead of it).
    TimeRecord current_time() const;
    // Stops filling ahead, drops what was made and returns the session to
    // the client's position.
    void settle();

private:
    // A fill's request: frames asked and the byte size of each buffer used.
    struct shape {
        uint32_t frames = 0;
        std::vector<uint32_t> sizes;
        bool operator==(const shape& other) const { return frames == other.frames && sizes == other.sizes; }
        size_t bytes() const {
            size_t total = 0;
            for (uint32_t size : sizes) total += size;
            return total;
        }
    };
    // A fill made ahead: what the client's call gets.
    struct made {
        OSStatus err = noErr;
        uint32_t frames = 0;
        uint32_t flags = 0;
        std::vector<uint32_t> sizes;  // each buffer's byte size after the fill
        std::vector<uint8_t> bytes;   // the buffers, one after the other
        int64_t position = 0;         // the session's position after the fill
        std::vector<std::string> warnings;
    };

    // The request's shape; false when the list lacks a buffer the output needs.
    bool shape_of(uint32_t frames, const AudioBufferList& list, shape& out) const;
    void start(const shape& request);
    void run();
    made make(const shape& request, std::vector<uint8_t> bytes);
    // Gives the client a fill made ahead, as the session's own fill would.
    void hand_over(const made& m, uint32_t& frames, AudioBufferList& list, uint32_t& flags) const;

    extraction_session& m_session;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wanted;  // to the thread: room for more, or stop
    std::condition_variable m_ready;   // to the client: a fill made, or the thread idle
    std::deque<made> m_made;
    std::vector<std::vector<uint8_t>> m_spare;  // buffers of fills taken, for reuse
    shape m_shape;                              // of the fills made ahead
    size_t m_depth = 0;                         // fills kept ready
    int64_t m_visible = 0;  // the session's position after the client's last fill
    bool m_ahead = false;   // the thread makes fills of m_shape
    bool m_busy = false;    // the thread is in a fill
    bool m_moved = false;   // the session has run ahead of m_visible
    bool m_discard = false;  // settle() waits: the fill in the making is dropped
    bool m_stop = false;
    bool m_no_thread = false;  // the thread could not be started: fill in the client's

    // The client's side, touched by the client's thread only.
    using clock = std::chrono::steady_clock;
    clock::time_point m_returned{};  // when the last fill returned
    double m_gap = 1.0;              // seconds between fills, smoothed
};

}  // namespace qtrt::audio
