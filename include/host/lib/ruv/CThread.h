// A thread owned by an object: start() runs threadrunloop(argument) on a new
// thread; an exception that leaves it goes to handleException, so nothing
// escapes the thread. join() waits for it. The owner joins before it is
// destroyed (the destructor joins as a last resort).
#pragma once

#include <exception>
#include <thread>

#include "lib/ruv/CException.h"

namespace Ruv {

template <class T>
class CThread : public CExceptionHandlerP {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    ~CThread() override {
        if (m_thread.joinable()) m_thread.join();
    }

    // Answers the loop's result; exceptions are handed to handleException
    // and give -1.
    virtual int threadrunloop(void* argument) = 0;

    // false when the thread is already running or cannot be started.
    bool start(void* argument = nullptr) {
        if (m_thread.joinable()) return false;
        try {
            m_thread = std::thread([this, argument] { m_result = runGuarded(argument); });
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    // The loop's result, or -1 when no thread was started.
    int join() {
        if (!m_thread.joinable()) return -1;
        m_thread.join();
        return m_result;
    }

    bool isRunning() const { return m_thread.joinable(); }

protected:
    int runGuarded(void* argument) {
        try {
            return threadrunloop(argument);
        } catch (const CException& e) {
            handleException(e);
        } catch (const std::exception& e) {
            handleException(CException("std::exception", 0, __FILE__, "Ruv::CThread::threadrunloop",
                                       CString(e.what())));
        } catch (...) {
            handleException(CException("unknown", 0, __FILE__, "Ruv::CThread::threadrunloop",
                                       CString("unknown exception")));
        }
        return -1;
    }

private:
    std::thread m_thread;
    int m_result = -1;
};

}  // namespace Ruv
