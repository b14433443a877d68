// Host text: CString is a value, RString a counted holder of one.
#pragma once

#include <cstdarg>
#include <string>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"

namespace Ruv {

class RUV_API CString {
public:
    CString();
    CString(const char* text);  // null gives the empty string
    CString(const char* data, size_t length);
    CString(const std::string& text);

    // printf-style; any length.
    static CString createWithFormat(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    const char* c_str() const { return m_text.c_str(); }
    const char* getCString() const { return m_text.c_str(); }
    size_t length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.empty(); }
    const std::string& str() const { return m_text; }

    bool operator==(const CString& other) const { return m_text == other.m_text; }
    bool operator!=(const CString& other) const { return m_text != other.m_text; }
    bool operator<(const CString& other) const { return m_text < other.m_text; }

private:
    std::string m_text;
};

class RUV_API RString : public kolmbase::object_refcount, public CString {
public:
    RString() = default;
    explicit RString(const CString& text) : CString(text) {}
};

}  // namespace Ruv
