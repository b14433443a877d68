// A lock that may be recursive; a non-recursive one must not be locked twice
// by the same thread.
#pragma once

#include "lib/host_export.h"

namespace kolmbase {

class KOLMBASE_API mutex {
public:
    explicit mutex(bool recursive);
    ~mutex();
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;

    void lock();
    void unlock();
    bool is_recursive() const { return m_recursive; }

private:
    bool m_recursive;
    void* m_impl;
};

// Scoped lock.
class mutex_lock {
public:
    explicit mutex_lock(mutex& m) : m_mutex(m) { m_mutex.lock(); }
    ~mutex_lock() { m_mutex.unlock(); }
    mutex_lock(const mutex_lock&) = delete;
    mutex_lock& operator=(const mutex_lock&) = delete;

private:
    mutex& m_mutex;
};

}  // namespace kolmbase
