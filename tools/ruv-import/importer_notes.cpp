#include "importer_notes.h"

#include <cstddef>

#include "json_events.h"

namespace ruv_import {

const char* const importer_notes::marker = "error: [ruv_importer_any_apple_qt] ";

importer_notes::importer_notes(console& out, bool json)
    : m_console(out),
      m_json(json),
      m_tap(new stderr_tap(marker, [this](const std::string& note) { add(note); })) {}

size_t importer_notes::count() const {
    m_tap->sync();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size();
}

std::string importer_notes::first(size_t since) const {
    m_tap->sync();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size() > since ? m_notes[since] : std::string();
}

std::string importer_notes::last(size_t since) const {
    m_tap->sync();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size() > since ? m_notes.back() : std::string();
}

std::vector<std::string> importer_notes::take_new() {
    m_tap->sync();
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> taken(m_notes.begin() + std::ptrdiff_t(m_taken), m_notes.end());
    m_taken = m_notes.size();
    return taken;
}

void importer_notes::set_wording(std::function<std::string(const std::string&)> wording) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wording = std::move(wording);
}

void importer_notes::add(const std::string& line) {
    std::string note;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        note = m_wording ? m_wording(line) : line;
        m_notes.push_back(note);
    }
    if (m_json) m_console.line(warning_event(note));
}

}  // namespace ruv_import
