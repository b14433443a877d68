#include "batch_progress.h"

#include <cstdio>

namespace ruv_import {

namespace {

constexpr size_t kBarWidth = 30;
// Long movie paths are shortened from the left to keep each line on one
// row of the terminal.
constexpr size_t kMovieWidth = 60;

std::string shortened(const std::string& movie) {
    if (movie.size() <= kMovieWidth) return movie;
    return "..." + movie.substr(movie.size() - (kMovieWidth - 3));
}

}  // namespace

batch_progress::batch_progress(std::ostream& err, bool enabled, size_t total)
    : m_err(err), m_enabled(enabled), m_total(total) {}

void batch_progress::draw(const std::vector<running_import>& running, size_t done, size_t failed) {
    if (!m_enabled) return;
    clear();
    for (const running_import& r : running) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%8.1f s  ", r.seconds);
        m_err << seconds << shortened(r.movie) << "\n";
    }
    const size_t filled = m_total == 0 ? kBarWidth : done * kBarWidth / m_total;
    m_err << "[" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] " << done
          << " of " << m_total << " movies done, " << failed << " failed, " << running.size()
          << " running\n"
          << std::flush;
    m_lines = running.size() + 1;
}

void batch_progress::clear() {
    if (!m_enabled || m_lines == 0) return;
    m_err << "\033[" << m_lines << "A\r\033[J" << std::flush;
    m_lines = 0;
}

}  // namespace ruv_import
