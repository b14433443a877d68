// The exception the host's components throw out of their life-cycle
// operations: where it was raised (class name, line, file, function) and why.
#pragma once

#include <exception>

#include "lib/host_export.h"
#include "lib/ruv/CString.h"

namespace Ruv {

class RUV_API CException : public std::exception {
public:
    CException(const char* className, int line, const char* file, const char* function,
               const CString& message);

    const CString& getClassName() const { return m_class_name; }
    int getLine() const { return m_line; }
    const CString& getFile() const { return m_file; }
    const CString& getFunction() const { return m_function; }
    const CString& getMessage() const { return m_message; }

    // "<class> in <function> (<file>:<line>): <message>"
    CString describe() const;
    const char* what() const noexcept override;

private:
    CString m_class_name;
    int m_line;
    CString m_file;
    CString m_function;
    CString m_message;
    CString m_what;
};

// Receives exceptions that leave a thread's run loop.
class RUV_API CExceptionHandlerP {
public:
    virtual ~CExceptionHandlerP();
    virtual void handleException(const CException& exception) = 0;
};

}  // namespace Ruv
