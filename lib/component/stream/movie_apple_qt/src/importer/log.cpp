#include "importer/log.h"

namespace ns_movie_apple_qt {

log& log::instance() {
    static log the_log;
    return the_log;
}

log::log() : m_handler(nullptr), m_level(1) {}

// The lock is held while a handler runs, so that a handler being removed is
// not called once remove_handler has returned.
void log::set_handler(log_handler* handler) {
    kolmbase::mutex_lock lock(m_mutex);
    m_handler = handler;
}

void log::remove_handler(log_handler* handler) {
    kolmbase::mutex_lock lock(m_mutex);
    if (m_handler == handler) m_handler = nullptr;
}

void log::message(int value, const char* format, ...) {
    kolmbase::mutex_lock lock(m_mutex);
    if (!m_handler) return;
    va_list arguments;
    va_start(arguments, format);
    m_handler->message(value, format, arguments);
    va_end(arguments);
}

void log::error(int value1, int value2, const char* format, ...) {
    kolmbase::mutex_lock lock(m_mutex);
    if (!m_handler) return;
    va_list arguments;
    va_start(arguments, format);
    m_handler->error(value1, value2, format, arguments);
    va_end(arguments);
}

}  // namespace ns_movie_apple_qt
