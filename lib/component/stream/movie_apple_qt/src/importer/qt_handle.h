// A QuickTime handle disposed of when it goes out of scope.
#pragma once

#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

class owned_handle {
public:
    explicit owned_handle(Handle h) : m_handle(h) {}
    ~owned_handle() {
        if (m_handle) DisposeHandle(m_handle);
    }
    owned_handle(const owned_handle&) = delete;
    owned_handle& operator=(const owned_handle&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // The bytes the handle holds (0 for a null handle).
    Size size() const { return m_handle ? GetHandleSize(m_handle) : 0; }
    const uint8_t* bytes() const {
        return m_handle ? reinterpret_cast<const uint8_t*>(*m_handle) : nullptr;
    }

private:
    Handle m_handle;
};

}  // namespace ns_movie_apple_qt
