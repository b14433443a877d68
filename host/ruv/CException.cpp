#include "lib/ruv/CException.h"

namespace Ruv {

CException::CException(const char* className, int line, const char* file, const char* function,
                       const CString& message)
    : m_class_name(className),
      m_line(line),
      m_file(file),
      m_function(function),
      m_message(message),
      m_what(describe()) {}

CString CException::describe() const {
    return CString::createWithFormat("%s in %s (%s:%d): %s", m_class_name.c_str(),
                                     m_function.c_str(), m_file.c_str(), m_line,
                                     m_message.c_str());
}

const char* CException::what() const noexcept { return m_what.c_str(); }

CExceptionHandlerP::~CExceptionHandlerP() = default;

}  // namespace Ruv
