// Bounded frame queues and the writer a component puts frames through.
#include "lib/cm/CMQueue.h"

namespace Ruv {
namespace CM {

RQueue::RQueue(size_t capacity) : m_capacity(capacity ? capacity : 1) {}

RQueue::~RQueue() = default;

void RQueue::setDescription(const RPtr<const RDescription>& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_description = description;
}

bool RQueue::put(const RPtr<const RFrame>& frame) {
    if (!frame) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_not_full.wait(lock, [this] {
        return m_frames.size() < m_capacity || m_ended || m_cancelled;
    });
    if (m_ended || m_cancelled) return false;
    m_frames.push_back(frame);
    ++m_put_count;
    m_not_empty.notify_one();
    return true;
}

void RQueue::end() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_not_empty.notify_all();
    m_not_full.notify_all();
}

bool RQueue::take(RPtr<const RFrame>& frame) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_not_empty.wait(lock, [this] { return !m_frames.empty() || m_ended || m_cancelled; });
    if (m_cancelled || m_frames.empty()) return false;
    frame = std::move(m_frames.front());
    m_frames.pop_front();
    m_not_full.notify_one();
    return true;
}

bool RQueue::tryTake(RPtr<const RFrame>& frame) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cancelled || m_frames.empty()) return false;
    frame = std::move(m_frames.front());
    m_frames.pop_front();
    m_not_full.notify_one();
    return true;
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
        m_not_full.notify_all();
        m_not_empty.notify_all();
    }
}

size_t RQueue::size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames.size();
}

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
