// The process-wide settings through which the importer tells the readers
// where the movie is and which time range to read. One object serves every
// importer in the process; each preflight and configure overwrites what it
// sets. Setters take the object's lock; getters read without it.
#pragma once

#include <cstdint>

#include "importer/singleton.h"

class CMStreamDataRef;

namespace ns_movie_apple_qt {

class config : public singleton {
public:
    enum : uint32_t { source_none = 0, source_path = 1, source_data_ref = 3 };

    // Built on first use; not synchronised.
    static config& instance();

    ~config() override;

    // Keeps a copy of path and selects source kind 1; null changes nothing.
    void set_path(const char* path);
    // Selects source kind 3; the reference is not owned.
    void set_data_ref(CMStreamDataRef* data_ref);
    void set_start_time(double seconds);
    void set_end_time(double seconds);
    void set_extract_discrete(bool discrete);

    uint32_t source_kind() const { return m_source_kind; }
    const char* path() const { return m_path; }
    CMStreamDataRef* data_ref() const { return m_data_ref; }
    double start_time() const { return m_start_time; }
    double end_time() const { return m_end_time; }
    bool extract_discrete() const { return m_extract_discrete; }

    // The end of the range before any configure: 365 days.
    static constexpr double default_end_time = 31536000.0;

private:
    config();

    uint32_t m_source_kind;
    char* m_path;
    CMStreamDataRef* m_data_ref;
    double m_start_time;
    double m_end_time;
    bool m_extract_discrete;
};

}  // namespace ns_movie_apple_qt
