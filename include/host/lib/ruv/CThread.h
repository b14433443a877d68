// A thread owned by an object: start() runs threadrunloop(argument) on a new
// thread; an exception that leaves it goes to handleException, so nothing
// escapes the thread, and the thread-end routine, when one is set, is the
// thread's last use of the object. join() waits for it. The owner joins
// before its derived parts are destroyed: the destructor only joins as a last
// resort. The thread never
// joins itself: there join() answers -1 and the destructor detaches it.
#pragma once

#include <exception>
#include <mutex>
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
        if (!m_thread.joinable()) return;
        if (isCurrentThread())
            m_thread.detach();
        else
            m_thread.join();
    }

    // Answers the loop's result; exceptions are handed to handleException
    // and give -1.
    virtual int threadrunloop(void* argument) = 0;

    // false when the thread is already running or cannot be started.
    bool start(void* argument = nullptr) {
        if (m_thread.joinable()) return false;
        // The thread waits until m_thread names it, so that it can tell
        // itself apart from other threads.
        std::lock_guard<std::mutex> starting(m_start_mutex);
        try {
            m_thread = std::thread([this, argument] {
                { std::lock_guard<std::mutex> started(m_start_mutex); }
                m_result = runGuarded(argument);
                if (m_thread_ended) m_thread_ended(this);
            });
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    // The loop's result; -1 when no thread was started, or when called on the
    // thread itself.
    int join() {
        if (!m_thread.joinable() || isCurrentThread()) return -1;
        m_thread.join();
        return m_result;
    }

    // True from start() until join(), also once the loop has returned.
    bool isRunning() const { return m_thread.joinable(); }
    bool isCurrentThread() const { return m_thread.get_id() == std::this_thread::get_id(); }

protected:
    // Runs on the thread after the loop and its exception handling; the object
    // may delete itself there, after detach(). A routine and not a virtual
    // function: the table of this side holds the destructor, handleException
    // and threadrunloop, and nothing else.
    using thread_end_routine = void (*)(CThread* thread);
    void setThreadEnd(thread_end_routine routine) { m_thread_ended = routine; }
    void detach() {
        if (m_thread.joinable()) m_thread.detach();
    }

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
    std::mutex m_start_mutex;
    std::thread m_thread;
    int m_result = -1;
    thread_end_routine m_thread_ended = nullptr;
};

}  // namespace Ruv
