// Standard error read back by the process itself: while a tap lives,
// descriptor 2 is the write end of a pipe that a thread of the tap reads.
// Each line that begins with the marker is handed to the callback without
// the marker and its line end; everything else is copied through to the
// original standard error as soon as it is known not to be such a line.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ruv_import {

class stderr_tap {
public:
    using line_handler = std::function<void(const std::string&)>;

    // Without a pipe (it cannot be made) nothing is tapped: lines go to
    // standard error as they are written.
    stderr_tap(std::string marker, line_handler on_line);
    // Gives descriptor 2 back and hands on what is still in the pipe.
    ~stderr_tap();
    stderr_tap(const stderr_tap&) = delete;
    stderr_tap& operator=(const stderr_tap&) = delete;

    // Returns once everything written on standard error before the call has
    // been handed on.
    void sync();

private:
    void pump();
    // Hands on the complete lines and tokens of m_pending; keeps a tail that
    // may still become one.
    void handle_pending(bool at_end);
    void copy_through(const char* data, size_t size);

    const std::string m_marker;
    const line_handler m_on_line;
    int m_original = -1;  // the process's standard error before the tap
    int m_read_end = -1;
    std::thread m_pump;
    std::string m_pending;

    std::mutex m_mutex;
    std::condition_variable m_synced;
    uint64_t m_sync_sent = 0;
    uint64_t m_sync_seen = 0;
};

}  // namespace ruv_import
