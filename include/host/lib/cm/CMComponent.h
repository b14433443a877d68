// Components and importers.
//
// A host creates a component, gives an importer its input stream and output
// queues (init) and its configuration (preconfigure), then drives it through
// preflight and configure and delivers with runloop on the component's own
// thread (start) or with processNextFrame on its own. An exception that
// leaves runloop on the component's thread is recorded by handleException;
// the host reads it back after join.
//
// The last release of a component whose thread was started cancels the
// component's work where the host can (an importer's output queues) and
// joins the thread before any part of the component is destroyed. A last
// release on the component's own thread cannot join: the thread destroys the
// component once its loop has returned. This is the host's own doing, through
// routines it sets, not virtual functions: the tables of the classes a
// component derives from stay as the host publishes them.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "lib/cm/CMConfiguration.h"
#include "lib/cm/CMFrame.h"
#include "lib/cm/CMMovieInfo.h"
#include "lib/cm/CMQueue.h"
#include "lib/cm/CMStream.h"
#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/CException.h"
#include "lib/ruv/CString.h"
#include "lib/ruv/CThread.h"
#include "lib/ruv/RPtr.h"

namespace Ruv {
namespace CM {

class CM_API CComponentStatus {
public:
    CComponentStatus();
    CComponentStatus(unsigned code, unsigned frames, unsigned bytes);

    unsigned getStatusCode() const { return m_code; }
    void setStatusCode(unsigned v) { m_code = v; }
    unsigned getNumberOfFrames() const { return m_frames; }
    void setNumberOfFrames(unsigned v) { m_frames = v; }
    unsigned getNumberOfBytes() const { return m_bytes; }
    void setNumberOfBytes(unsigned v) { m_bytes = v; }
    const CString& getMessage() const { return m_message; }
    void setMessage(const CString& v) { m_message = v; }
    void* getUserData() const { return m_user_data; }
    void setUserData(void* v) { m_user_data = v; }

private:
    unsigned m_code;
    unsigned m_frames;
    unsigned m_bytes;
    CString m_message;
    void* m_user_data;
};

// A message from the host to a component: a four-character code and an
// optional pointer whose meaning the code defines.
class CM_API CNotification {
public:
    explicit CNotification(unsigned code, void* data = nullptr);

    unsigned getCode() const { return m_code; }
    void* getData() const { return m_data; }

private:
    unsigned m_code;
    void* m_data;
};

class CM_API RComponent : public kolmbase::object_refcount, public CThread<RComponent> {
public:
    RComponent();
    ~RComponent() override;

    // A short name of the component kind ("component", "importer").
    virtual const char* type() const;
    virtual CComponentStatus getStatus() const;
    // Clears the recorded exceptions.
    virtual void componentWillReset();
    // 0: handled.
    virtual int handleNotification(CNotification& notification);
    // 0: the key is accepted (every key is).
    virtual int authenticate(const char* key);

    // Records the exception for the host; thread-safe.
    void handleException(const CException& exception) override;

    bool hasException() const;
    // The exceptions recorded, oldest first.
    std::vector<CException> getExceptions() const;

protected:
    // Cancels what a component's thread may wait for, so that the thread can
    // be joined; set by a derived host class.
    using cancel_routine = void (*)(RComponent& component);
    void setCancel(cancel_routine routine) { m_cancel = routine; }

private:
    static void lastRelease(const kolmbase::object_refcount* object);
    static void threadEnd(CThread<RComponent>* thread);

    mutable std::mutex m_exceptions_mutex;
    std::vector<CException> m_exceptions;
    cancel_routine m_cancel = nullptr;
    // Set by a last release on the component's own thread.
    bool m_destroy_when_thread_ends = false;
};

class CM_API RImporter : public RComponent {
public:
    RImporter();
    ~RImporter() override;

    const char* type() const override;

    // Keeps the input stream and makes one writer per output queue, in order.
    virtual int init(RPtr<RStream> input, std::vector<RQueue*>& queues);
    // Keeps a copy of the configuration, so the caller's may live anywhere.
    virtual int preconfigure(RImporterConfiguration& configuration);
    // 0: the input is open and described.
    virtual int preflight(RImporterConfiguration& configuration) = 0;
    // 0: the outputs are chosen and described.
    virtual int configure(RImporterConfiguration& configuration) = 0;
    virtual RPtr<RMovieInfo> getMovieInfo() = 0;
    // Does nothing; an importer may override it.
    virtual void stop();
    virtual int setTime(unsigned track, double seconds) = 0;
    // Delivers everything and ends every exported queue.
    virtual int runloop(void* argument) = 0;
    // One frame for the queue, or null; the queue holds the frame.
    virtual RFrame* processNextFrame(unsigned queue) = 0;

    // Calls runloop.
    int threadrunloop(void* argument) override;

    const RPtr<RStream>& getInputStream() const { return m_input; }
    size_t getWriterCount() const { return m_writers.size(); }
    // Null for an index without a queue.
    RQFrameWriter* getWriter(unsigned index) const;
    const RPtr<RImporterConfiguration>& getConfiguration() const { return m_configuration; }

protected:
    RPtr<RStream> m_input;
    std::vector<RPtr<RQFrameWriter>> m_writers;
    RPtr<RImporterConfiguration> m_configuration;

private:
    // Cancels the output queues, so that a runloop blocked on a full queue
    // goes on and every later put fails.
    static void cancelQueues(RComponent& component);
};

// The factory an importer module exports: a new component, not yet counted.
typedef RImporter* (*GetComponentInstanceFn)();

}  // namespace CM
}  // namespace Ruv
