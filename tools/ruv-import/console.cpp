#include "console.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#define RUV_ISATTY _isatty
#define RUV_FILENO _fileno
#else
#include <unistd.h>
#define RUV_ISATTY isatty
#define RUV_FILENO fileno
#endif

namespace ruv_import {

namespace {

constexpr int kBarWidth = 40;
constexpr std::chrono::milliseconds kRedrawInterval(100);

}  // namespace

console::console(std::ostream& out, std::ostream& err, bool progress)
    : m_out(out),
      m_err(err),
      m_progress(progress),
      m_started(std::chrono::steady_clock::now()),
      m_last_draw(m_started) {}

bool console::error_is_terminal() { return RUV_ISATTY(RUV_FILENO(stderr)) != 0; }

void console::line(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_drawn) m_err << "\r\033[K" << std::flush;
    m_drawn = false;
    m_out << text << '\n';
}

void console::error_line(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_drawn) m_err << "\r\033[K";
    m_drawn = false;
    m_err << text << '\n' << std::flush;
}

void console::frame_delivered(double end_time) {
    if (!m_progress) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_frames;
    if (end_time > m_delivered) m_delivered = end_time;
    auto now = std::chrono::steady_clock::now();
    if (now - m_last_draw < kRedrawInterval) return;
    m_last_draw = now;
    draw_locked();
}

void console::finish_progress() {
    if (!m_progress) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    draw_locked();
    m_err << '\n' << std::flush;
    m_drawn = false;
}

void console::draw_locked() {
    double share = m_duration > 0 ? m_delivered / m_duration : 0;
    if (share < 0) share = 0;
    if (share > 1) share = 1;
    int filled = int(share * kBarWidth);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    double rate = seconds > 0 ? double(m_frames) / seconds : 0;
    char text[128];
    std::snprintf(text, sizeof text, "] %5.1f%%  %.0f frames/s", share * 100, rate);
    m_err << "\r[" << std::string(size_t(filled), '#') << std::string(size_t(kBarWidth - filled), ' ')
          << text << std::flush;
    m_drawn = true;
}

}  // namespace ruv_import
