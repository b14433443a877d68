// Bounded frame queues and the writer a component puts frames through.
#include "lib/cm/CMQueue.h"

#include <algorithm>
#include <chrono>

namespace Ruv {
namespace CM {

namespace {

constexpr size_t kBatch = 8;
constexpr std::chrono::milliseconds kLookAgain(2);

// Waits on the condition until ready() holds: first for kLookAgain, counted
// in waiting, then, counted in idle too, until woken. Each count is raised
// before ready() is looked at, so that a side that changes what ready() reads
// without the lock and then reads the counts cannot miss this waiter.
template <class Ready>
void wait_batched(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                  std::atomic<size_t>& waiting, std::atomic<size_t>& idle, Ready ready) {
    if (ready()) return;
    ++waiting;
    condition.wait_for(lock, kLookAgain, ready);
    if (!ready()) {
        ++idle;
        condition.wait(lock, ready);
        --idle;
    }
    --waiting;
}

}  // namespace

RQueue::RQueue(size_t capacity) : m_capacity(capacity ? capacity : 1) {}

RQueue::~RQueue() = default;

size_t RQueue::batch() const { return std::min(kBatch, m_capacity); }

void RQueue::setDescription(const RPtr<const RDescription>& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_description = description;
}

bool RQueue::put(const RPtr<const RFrame>& frame) {
    if (!frame) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    wait_batched(lock, m_not_full, m_waiting_putters, m_idle_putters,
                 [this] { return m_count < m_capacity || m_ended || m_cancelled; });
    if (m_ended || m_cancelled) return false;
    m_frames.push_back(frame);
    ++m_count;
    ++m_put_count;
    if (m_idle_takers || (m_waiting_takers && m_frames.size() >= batch())) m_not_empty.notify_one();
    return true;
}

void RQueue::end() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_not_empty.notify_all();
    m_not_full.notify_all();
}

bool RQueue::take(RPtr<const RFrame>& frame) {
    std::lock_guard<std::mutex> taking(m_take_mutex);
    if (m_batch.empty()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        wait_batched(lock, m_not_empty, m_waiting_takers, m_idle_takers,
                     [this] { return !m_frames.empty() || m_ended || m_cancelled; });
        if (m_cancelled || m_frames.empty()) return false;
        m_batch.swap(m_frames);
    }
    if (m_cancelled) return false;
    take_from_batch(frame);
    return true;
}

bool RQueue::tryTake(RPtr<const RFrame>& frame) {
    // Another taker holds the batch only while it waits for an empty queue.
    std::unique_lock<std::mutex> taking(m_take_mutex, std::try_to_lock);
    if (!taking.owns_lock() || m_cancelled) return false;
    if (m_batch.empty()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_cancelled || m_frames.empty()) return false;
        m_batch.swap(m_frames);
    }
    take_from_batch(frame);
    return true;
}

void RQueue::take_from_batch(RPtr<const RFrame>& frame) {
    frame = std::move(m_batch.front());
    m_batch.pop_front();
    --m_count;
    // The producer raised its count before it looked at m_count; this side
    // lowered m_count before it looks at the counts: one of the two sees the
    // other.
    if (m_idle_putters || (m_waiting_putters && m_capacity - m_count >= batch())) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_not_full.notify_one();
    }
}

RPtr<const RDescription> RQueue::getDescription() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_description;
}

bool RQueue::isEnded() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended;
}

void RQueue::cancel() {
    std::deque<RPtr<const RFrame>> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
        dropped.swap(m_frames);
        m_count -= dropped.size();
        m_not_full.notify_all();
        m_not_empty.notify_all();
    }
    // A taker waiting for frames has been woken and lets go of the batch.
    std::deque<RPtr<const RFrame>> held;
    std::lock_guard<std::mutex> taking(m_take_mutex);
    held.swap(m_batch);
    m_count -= held.size();
}

size_t RQueue::size() const { return m_count; }

size_t RQueue::putCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_put_count;
}

RQFrameWriter::RQFrameWriter(RQueue* queue) : m_queue(queue) {}

RQFrameWriter::~RQFrameWriter() = default;

void RQFrameWriter::setDescription(const RPtr<const RDescription>& description) {
    if (m_queue) m_queue->setDescription(description);
}

bool RQFrameWriter::put(const RPtr<const RFrame>& frame) {
    return m_queue ? m_queue->put(frame) : false;
}

void RQFrameWriter::end() {
    if (m_queue) m_queue->end();
}

}  // namespace CM
}  // namespace Ruv
