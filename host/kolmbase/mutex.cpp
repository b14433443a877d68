#include "lib/kolmbase/mutex.h"

#include <mutex>

namespace kolmbase {

mutex::mutex(bool recursive) : m_recursive(recursive), m_impl(nullptr) {
    if (recursive)
        m_impl = new std::recursive_mutex;
    else
        m_impl = new std::mutex;
}

mutex::~mutex() {
    if (m_recursive)
        delete static_cast<std::recursive_mutex*>(m_impl);
    else
        delete static_cast<std::mutex*>(m_impl);
}

void mutex::lock() {
    if (m_recursive)
        static_cast<std::recursive_mutex*>(m_impl)->lock();
    else
        static_cast<std::mutex*>(m_impl)->lock();
}

void mutex::unlock() {
    if (m_recursive)
        static_cast<std::recursive_mutex*>(m_impl)->unlock();
    else
        static_cast<std::mutex*>(m_impl)->unlock();
}

}  // namespace kolmbase
