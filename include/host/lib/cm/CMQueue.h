// Bounded frame queues between a producing component and a consuming host.
//
// A queue holds at most its capacity of frames: put blocks while it is full,
// so a host that consumes on its own thread keeps memory bounded however long
// the stream is. The producer gives the queue its description, then frames,
// then the end mark. The consumer takes frames until take answers false.
//
// Hand-offs are batched: a consumer waiting on an empty queue is woken once a
// few frames wait (or the queue fills or ends), a producer waiting on a full
// one once a few places are free, and a consumer moves every waiting frame
// out at once and hands them out one by one without the producer's lock, so
// that a fast stream costs one wake-up and one lock hand-over per batch rather
// than per frame. A side that waits looks again on its own after a short
// while (two milliseconds) and, when still nothing came, is woken by the very
// next frame or place: no frame is held back longer than that.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "lib/cm/CMDescription.h"
#include "lib/cm/CMFrame.h"
#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/RPtr.h"

namespace Ruv {
namespace CM {

class CM_API RQueue : public kolmbase::object_refcount {
public:
    explicit RQueue(size_t capacity);  // a capacity of 0 is taken as 1
    ~RQueue() override;

    // Producer side.
    void setDescription(const RPtr<const RDescription>& description);
    // Blocks while the queue is full. false (frame not queued) for a null
    // frame, after end() or cancel().
    bool put(const RPtr<const RFrame>& frame);
    void end();

    // Consumer side.
    // Blocks until a frame is queued (true) or the queue is ended and empty
    // or cancelled (false).
    bool take(RPtr<const RFrame>& frame);
    // Does not block: false when no frame is queued now.
    bool tryTake(RPtr<const RFrame>& frame);
    RPtr<const RDescription> getDescription() const;
    bool isEnded() const;
    // Drops the queued frames and makes every later put fail, so a producer
    // blocked on a full queue goes on.
    void cancel();

    size_t size() const;
    size_t capacity() const { return m_capacity; }
    // Frames put in all (taken or not).
    size_t putCount() const;

private:
    size_t batch() const;
    // Hands out the batch's first frame; with m_take_mutex held.
    void take_from_batch(RPtr<const RFrame>& frame);

    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_not_full;
    std::condition_variable m_not_empty;
    std::deque<RPtr<const RFrame>> m_frames;
    // Frames a consumer moved out at once, handed out under m_take_mutex.
    std::mutex m_take_mutex;
    std::deque<RPtr<const RFrame>> m_batch;
    // Frames in m_frames and m_batch together.
    std::atomic<size_t> m_count{0};
    RPtr<const RDescription> m_description;
    size_t m_put_count = 0;
    bool m_ended = false;
    std::atomic<bool> m_cancelled{false};
    // Sides waiting now, and those of them that already waited a while and
    // are woken by the next frame or place.
    std::atomic<size_t> m_waiting_takers{0};
    std::atomic<size_t> m_waiting_putters{0};
    std::atomic<size_t> m_idle_takers{0};
    std::atomic<size_t> m_idle_putters{0};
};

// A component's handle on one output queue. It holds a counted reference, so
// the queue must be a heap object that the host also holds by RPtr.
class CM_API RQFrameWriter : public kolmbase::object_refcount {
public:
    explicit RQFrameWriter(RQueue* queue);
    ~RQFrameWriter() override;

    void setDescription(const RPtr<const RDescription>& description);
    // The queue takes its own reference. false when the queue no longer
    // accepts frames.
    bool put(const RPtr<const RFrame>& frame);
    void end();

    RQueue* getQueue() const { return m_queue.get(); }

private:
    RPtr<RQueue> m_queue;
};

}  // namespace CM
}  // namespace Ruv
