#include "audio/fill_ahead.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>

#include "audio/audio_constants.h"
#include "audio/output_format.h"
#include "audio/sound_warning.h"

namespace qtrt::audio {
namespace {

// Bytes of fills kept ready (a third of a second of stereo float sound at
// 48 kHz); the thread is woken when half of them have been taken.
constexpr size_t kReadyBytes = 128 * 1024;
constexpr size_t kMinDepth = 2;
constexpr size_t kMaxDepth = 16;
// Seconds a client works between fills, on average, for filling ahead to pay
// for its hand-overs; a single long pause counts as this much at most.
constexpr double kMinGap = 5e-6;
constexpr double kMaxGapSample = 1e-3;

struct free_list {
    void operator()(AudioBufferList* list) const { std::free(list); }
};

// A buffer list of count buffers over bytes laid out one after the other.
std::unique_ptr<AudioBufferList, free_list> list_over(std::vector<uint8_t>& bytes,
                                                      const std::vector<uint32_t>& sizes, uint32_t channels) {
    const size_t count = sizes.size();
    const size_t size = std::max(sizeof(AudioBufferList), sizeof(AudioBufferList) + (count - 1) * sizeof(AudioBuffer));
    std::unique_ptr<AudioBufferList, free_list> list(static_cast<AudioBufferList*>(std::calloc(1, size)));
    if (!list) throw std::bad_alloc();
    list->mNumberBuffers = uint32_t(count);
    size_t offset = 0;
    for (size_t b = 0; b < count; ++b) {
        AudioBuffer& buffer = buffer_at(*list, uint32_t(b));
        buffer.mNumberChannels = channels;
        buffer.mDataByteSize = sizes[b];
        buffer.mData = bytes.data() + offset;
        offset += sizes[b];
    }
    return list;
}

}  // namespace

fill_ahead::fill_ahead(extraction_session& session) : m_session(session) {}

fill_ahead::~fill_ahead() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wanted.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool fill_ahead::shape_of(uint32_t frames, const AudioBufferList& list, shape& out) const {
    const uint32_t count = m_session.format().buffer_count();
    if (count == 0 || list.mNumberBuffers < count) return false;
    out.frames = frames;
    out.sizes.clear();
    for (uint32_t b = 0; b < count; ++b) {
        const AudioBuffer& buffer = buffer_at(list, b);
        if (!buffer.mData) return false;
        out.sizes.push_back(buffer.mDataByteSize);
    }
    return true;
}

OSStatus fill_ahead::fill(uint32_t& frames, AudioBufferList& list, uint32_t& flags) {
    // How long the client works between fills, smoothed: one that calls
    // again at once (a loop that only extracts) gains nothing from a thread
    // and would pay for every hand-over.
    const clock::time_point arrived = clock::now();
    const double gap = std::min(std::chrono::duration<double>(arrived - m_returned).count(), kMaxGapSample);
    m_gap = m_gap + (gap - m_gap) / 8.0;
    const bool worth_it = m_gap >= kMinGap;

    shape request;
    const bool usable = shape_of(frames, list, request);
    OSStatus err = noErr;
    bool served = false;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (usable && request == m_shape && (!m_made.empty() || m_ahead || m_busy)) {
            // Not worth it: the fills made and in the making are still handed
            // over, then the client fills on its own thread again.
            if (!worth_it) m_ahead = false;
            // A client that finds nothing made waits for half the depth, not
            // for each fill: one wake-up for several when it outruns the thread.
            const size_t wanted = m_ahead ? std::max<size_t>(m_depth / 2, 1) : 1;
            if (m_made.empty())
                m_ready.wait(lock, [&] { return m_made.size() >= wanted || (!m_ahead && !m_busy); });
            if (!m_made.empty()) {
                made m = std::move(m_made.front());
                m_made.pop_front();
                m_visible = m.position;
                if (m_ahead && m_made.size() <= m_depth / 2) m_wanted.notify_all();
                lock.unlock();
                for (const std::string& text : m.warnings) sound_warning(text);
                hand_over(m, frames, list, flags);
                err = m.err;
                lock.lock();
                if (m_spare.size() < m_depth) m_spare.push_back(std::move(m.bytes));
                served = true;
            }
        }
    }
    if (!served) {
        settle();
        err = m_session.fill(frames, list, flags);
        if (worth_it && err == noErr && usable && frames > 0 && !(flags & kQTMovieAudioExtractionComplete))
            start(request);
    }
    m_returned = clock::now();
    return err;
}

TimeRecord fill_ahead::current_time() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_moved ? m_session.time_at(m_visible) : m_session.current_time();
}

void fill_ahead::settle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_ahead = false;
    m_discard = true;
    m_ready.wait(lock, [&] { return !m_busy; });
    m_discard = false;
    m_made.clear();
    if (m_moved) {
        m_session.return_to(m_visible);
        m_moved = false;
    }
}

void fill_ahead::start(const shape& request) {
    if (m_no_thread) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shape = request;
    m_depth = std::clamp<size_t>(kReadyBytes / std::max<size_t>(request.bytes(), 1), kMinDepth, kMaxDepth);
    m_visible = m_session.position();
    m_moved = true;
    m_ahead = true;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // Fills go on in the client's thread.
            m_no_thread = true;
            m_ahead = false;
            m_moved = false;
            return;
        }
    }
    m_wanted.notify_all();
}

void fill_ahead::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wanted.wait(lock, [&] { return m_stop || (m_ahead && m_made.size() < m_depth); });
        if (m_stop) return;
        const shape request = m_shape;
        std::vector<uint8_t> bytes;
        if (!m_spare.empty()) {
            bytes = std::move(m_spare.back());
            m_spare.pop_back();
        }
        m_busy = true;
        lock.unlock();
        made m = make(request, std::move(bytes));
        lock.lock();
        m_busy = false;
        // A fill that ends while settle() waits is dropped: the session
        // returns to the client's position.
        if (!m_discard) {
            if (m.err != noErr || (m.flags & kQTMovieAudioExtractionComplete)) m_ahead = false;
            try {
                m_made.push_back(std::move(m));
            } catch (const std::bad_alloc&) {
                m_ahead = false;
            }
        }
        if (!m_ahead || m_made.size() >= m_depth / 2) m_ready.notify_all();
    }
}

fill_ahead::made fill_ahead::make(const shape& request, std::vector<uint8_t> bytes) {
    made m;
    try {
        bytes.resize(request.bytes());
        const output_format& format = m_session.format();
        const auto list = list_over(bytes, request.sizes, format.non_interleaved ? 1 : format.channels);
        sound_warning_capture capture(m.warnings);
        uint32_t frames = request.frames;
        uint32_t flags = 0;
        m.err = m_session.fill(frames, *list, flags);
        m.frames = frames;
        m.flags = flags;
        for (uint32_t b = 0; b < list->mNumberBuffers; ++b) m.sizes.push_back(buffer_at(*list, b).mDataByteSize);
    } catch (const std::bad_alloc&) {
        m.err = memFullErr;
        m.frames = 0;
        m.flags = 0;
    }
    m.position = m_session.position();
    m.bytes = std::move(bytes);
    return m;
}

void fill_ahead::hand_over(const made& m, uint32_t& frames, AudioBufferList& list, uint32_t& flags) const {
    frames = m.frames;
    flags = m.flags;
    if (m.err != noErr) return;
    size_t offset = 0;
    for (uint32_t b = 0; b < m.sizes.size(); ++b) {
        AudioBuffer& buffer = buffer_at(list, b);
        if (m.sizes[b]) std::memcpy(buffer.mData, m.bytes.data() + offset, m.sizes[b]);
        buffer.mDataByteSize = m.sizes[b];
        offset += m_shape.sizes[b];
    }
}

}  // namespace qtrt::audio
