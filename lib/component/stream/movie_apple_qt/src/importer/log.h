// The process-wide log of the reader library. It forwards every message and
// error to the one installed handler (the most recently installed one); with
// no handler they are dropped.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "importer/singleton.h"

namespace ns_movie_apple_qt {

// Receives the reader library's texts: printf-style format and arguments.
// The leading values are the caller's and carry no meaning the handler must
// honour.
class log_handler {
public:
    virtual void message(int value, const char* format, va_list arguments) = 0;
    virtual void error(int value1, int value2, const char* format, va_list arguments) = 0;

protected:
    // Not deleted through this interface: the owner of a handler destroys it.
    ~log_handler() = default;
};

class log : public singleton {
public:
    // Built on first use; not synchronised.
    static log& instance();

    // Replaces the installed handler; null removes it.
    void set_handler(log_handler* handler);
    // Removes handler when it is the installed one; another stays installed.
    void remove_handler(log_handler* handler);
    log_handler* handler() const { return m_handler; }
    int32_t level() const { return m_level; }

    void message(int value, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    void error(int value1, int value2, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 4, 5)))
#endif
        ;

private:
    log();

    log_handler* m_handler;
    int32_t m_level;
};

}  // namespace ns_movie_apple_qt
