// Where ruv-import writes while consumer threads run: whole lines on standard
// output, one at a time, and the progress bar on standard error when that is
// a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

namespace ruv_import {

class console {
public:
    // progress: draw the bar (standard error is a terminal and not --quiet).
    console(std::ostream& out, std::ostream& err, bool progress);

    // The movie length the bar measures against.
    void set_duration(double seconds) { m_duration = seconds; }

    void line(const std::string& text);
    // A whole line on standard error, clear of the progress bar.
    void error_line(const std::string& text);
    // Notes a delivered frame ending at end_time seconds; redraws the bar at
    // most ten times a second.
    void frame_delivered(double end_time);
    // Draws the bar a last time and ends its line.
    void finish_progress();

    // Whether standard error is a terminal.
    static bool error_is_terminal();

private:
    void draw_locked();

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_progress;
    bool m_drawn = false;
    double m_duration = 0;
    double m_delivered = 0;
    uint64_t m_frames = 0;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_last_draw;
};

}  // namespace ruv_import
