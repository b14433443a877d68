#include "importer/config.h"

#include <cstdlib>
#include <cstring>

namespace ns_movie_apple_qt {

config& config::instance() {
    static config settings;
    return settings;
}

config::config()
    : m_source_kind(source_none),
      m_path(nullptr),
      m_data_ref(nullptr),
      m_start_time(0.0),
      m_end_time(default_end_time),
      m_extract_discrete(true) {}

config::~config() { std::free(m_path); }

void config::set_path(const char* path) {
    if (!path) return;
    kolmbase::mutex_lock lock(m_mutex);
    size_t length = std::strlen(path);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) return;
    std::memcpy(copy, path, length + 1);
    std::free(m_path);
    m_path = copy;
    m_source_kind = source_path;
}

void config::set_data_ref(CMStreamDataRef* data_ref) {
    kolmbase::mutex_lock lock(m_mutex);
    m_data_ref = data_ref;
    m_source_kind = source_data_ref;
}

void config::set_start_time(double seconds) {
    kolmbase::mutex_lock lock(m_mutex);
    m_start_time = seconds;
}

void config::set_end_time(double seconds) {
    kolmbase::mutex_lock lock(m_mutex);
    m_end_time = seconds;
}

void config::set_extract_discrete(bool discrete) {
    kolmbase::mutex_lock lock(m_mutex);
    m_extract_discrete = discrete;
}

}  // namespace ns_movie_apple_qt
