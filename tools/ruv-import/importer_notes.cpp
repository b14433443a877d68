#include "importer_notes.h"

#include <cstddef>
#include <cstring>

#include "json_events.h"
#include "lib/kolmbase/ds_og.h"

namespace ruv_import {

const char* const importer_notes::marker = "error: [ruv_importer_any_apple_qt] ";

importer_notes::importer_notes(console& out, bool json) : m_console(out), m_json(json) {
    kolmbase::ds_og::set_sink(&importer_notes::collect, this);
}

importer_notes::~importer_notes() { kolmbase::ds_og::set_sink(nullptr, nullptr); }

size_t importer_notes::count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size();
}

std::string importer_notes::first(size_t since) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size() > since ? m_notes[since] : std::string();
}

std::string importer_notes::last(size_t since) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes.size() > since ? m_notes.back() : std::string();
}

std::vector<std::string> importer_notes::take_new() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> taken(m_notes.begin() + std::ptrdiff_t(m_taken), m_notes.end());
    m_taken = m_notes.size();
    return taken;
}

void importer_notes::collect(int, const char* text, void* context) {
    static_cast<importer_notes*>(context)->add(text ? text : "");
}

void importer_notes::add(const char* text) {
    std::string line = text;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    const size_t marker_size = std::strlen(marker);
    if (line.compare(0, marker_size, marker) != 0) {
        m_console.error_line(line);
        return;
    }
    const std::string note = line.substr(marker_size);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_notes.push_back(note);
    }
    if (m_json) m_console.line(warning_event(note));
}

}  // namespace ruv_import
