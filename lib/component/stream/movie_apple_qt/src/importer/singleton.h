// Base of the process-wide objects of the reader library: each owns one
// non-recursive lock.
#pragma once

#include "lib/kolmbase/mutex.h"

namespace ns_movie_apple_qt {

class singleton {
public:
    singleton() : m_mutex(false) {}
    virtual ~singleton() = default;
    singleton(const singleton&) = delete;
    singleton& operator=(const singleton&) = delete;

protected:
    kolmbase::mutex m_mutex;
};

}  // namespace ns_movie_apple_qt
