#include "lib/ruv/CString.h"

#include "lib/kolmbase/strings.h"

namespace Ruv {

CString::CString() = default;

CString::CString(const char* text) : m_text(text ? text : "") {}

CString::CString(const char* data, size_t length) : m_text(data ? std::string(data, length) : "") {}

CString::CString(const std::string& text) : m_text(text) {}

CString CString::createWithFormat(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    CString text(kolmbase::string_with_vformat(format, arguments));
    va_end(arguments);
    return text;
}

}  // namespace Ruv
