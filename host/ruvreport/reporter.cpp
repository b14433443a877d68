#include "lib/ruvreport/reporter.h"

#include <cstdio>
#include <cstdlib>

namespace ruvreport {
namespace {

const int kDefaultThreshold = 5;

int threshold_from_environment() {
    const char* text = std::getenv("RUV_REPORT_LEVEL");
    if (!text || !*text) return kDefaultThreshold;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' ? int(value) : kDefaultThreshold;
}

}  // namespace

const size_t reporter::kept_limit;

reporter::reporter() : m_threshold(threshold_from_environment()) {}

reporter& reporter::instance() {
    static reporter the_reporter;
    return the_reporter;
}

void reporter::report(const char* file, int line, int kind, int severity, const char* message) {
    report_entry entry{file ? file : "", line, kind, severity, message ? message : ""};
    std::lock_guard<std::mutex> lock(m_mutex);
    if (severity <= m_threshold)
        std::fprintf(stderr, "[report] %s:%d %s\n", entry.file.c_str(), line,
                     entry.message.c_str());
    if (m_reports.size() >= kept_limit) m_reports.erase(m_reports.begin());
    m_reports.push_back(std::move(entry));
}

int reporter::threshold() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_threshold;
}

void reporter::set_threshold(int severity) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_threshold = severity;
}

std::vector<report_entry> reporter::reports() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reports;
}

void reporter::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reports.clear();
}

}  // namespace ruvreport
