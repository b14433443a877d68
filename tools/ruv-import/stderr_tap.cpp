#include "stderr_tap.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#define RUV_DUP _dup
#define RUV_DUP2 _dup2
#define RUV_CLOSE _close
#define RUV_READ(fd, buffer, size) _read(fd, buffer, unsigned(size))
#define RUV_WRITE(fd, buffer, size) _write(fd, buffer, unsigned(size))
#else
#include <unistd.h>
#define RUV_DUP dup
#define RUV_DUP2 dup2
#define RUV_CLOSE close
#define RUV_READ(fd, buffer, size) read(fd, buffer, size)
#define RUV_WRITE(fd, buffer, size) write(fd, buffer, size)
#endif

namespace ruv_import {

namespace {

constexpr int kStandardError = 2;
// Written by sync() and recognised in the stream: never part of a line a
// program writes.
const char kSyncToken[] = "\x1d" "ruv-import sync\x1d";
constexpr size_t kSyncTokenSize = sizeof kSyncToken - 1;

bool make_pipe(int (&ends)[2]) {
#if defined(_WIN32)
    return _pipe(ends, 65536, _O_BINARY) == 0;
#else
    return pipe(ends) == 0;
#endif
}

// The length of the longest tail of text that begins the token.
size_t partial_tail(const std::string& text, const std::string& token) {
    for (size_t n = std::min(text.size(), token.size() - 1); n > 0; --n)
        if (text.compare(text.size() - n, n, token, 0, n) == 0) return n;
    return 0;
}

}  // namespace

stderr_tap::stderr_tap(std::string marker, line_handler on_line)
    : m_marker(std::move(marker)), m_on_line(std::move(on_line)) {
    int ends[2];
    if (!make_pipe(ends)) return;
    std::fflush(stderr);
    m_original = RUV_DUP(kStandardError);
    if (m_original < 0 || RUV_DUP2(ends[1], kStandardError) < 0) {
        if (m_original >= 0) RUV_CLOSE(m_original);
        m_original = -1;
        RUV_CLOSE(ends[0]);
        RUV_CLOSE(ends[1]);
        return;
    }
    RUV_CLOSE(ends[1]);
    m_read_end = ends[0];
    try {
        m_pump = std::thread([this] { pump(); });
    } catch (const std::exception&) {
        RUV_DUP2(m_original, kStandardError);
        RUV_CLOSE(m_original);
        RUV_CLOSE(m_read_end);
        m_original = m_read_end = -1;
    }
}

stderr_tap::~stderr_tap() {
    if (m_original < 0) return;
    std::fflush(stderr);
    // Descriptor 2 was the pipe's last write end: the pump reads to its end.
    RUV_DUP2(m_original, kStandardError);
    m_pump.join();
    RUV_CLOSE(m_read_end);
    RUV_CLOSE(m_original);
}

void stderr_tap::sync() {
    if (m_original < 0) return;
    std::fflush(stderr);
    uint64_t ticket = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ticket = ++m_sync_sent;
    }
    // Shorter than a pipe's atomic write: the token arrives whole.
    if (RUV_WRITE(kStandardError, kSyncToken, kSyncTokenSize) < 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_sync_sent;
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_synced.wait(lock, [&] { return m_sync_seen >= ticket; });
}

void stderr_tap::pump() {
    char buffer[4096];
    for (;;) {
        const auto got = RUV_READ(m_read_end, buffer, sizeof buffer);
        if (got <= 0) break;
        m_pending.append(buffer, size_t(got));
        handle_pending(false);
    }
    handle_pending(true);
    // A sync whose token never arrives must not wait for ever.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sync_seen = ~uint64_t(0);
    m_synced.notify_all();
}

void stderr_tap::handle_pending(bool at_end) {
    size_t at = 0;
    for (;;) {
        const size_t marker = m_pending.find(m_marker, at);
        const size_t token = m_pending.find(kSyncToken, at, kSyncTokenSize);
        const size_t next = std::min(marker, token);
        if (next == std::string::npos) break;
        if (next == token) {
            copy_through(m_pending.data() + at, token - at);
            at = token + kSyncTokenSize;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_sync_seen;
            m_synced.notify_all();
            continue;
        }
        const size_t text = marker + m_marker.size();
        const size_t line_end = m_pending.find('\n', text);
        if (line_end == std::string::npos && !at_end) {
            copy_through(m_pending.data() + at, marker - at);
            m_pending.erase(0, marker);
            return;
        }
        copy_through(m_pending.data() + at, marker - at);
        const size_t end = line_end == std::string::npos ? m_pending.size() : line_end;
        m_on_line(m_pending.substr(text, end - text));
        at = std::min(m_pending.size(), end + 1);
    }
    const std::string rest = m_pending.substr(at);
    const size_t keep = at_end ? 0
                               : std::max(partial_tail(rest, m_marker),
                                          partial_tail(rest, std::string(kSyncToken)));
    copy_through(rest.data(), rest.size() - keep);
    m_pending = rest.substr(rest.size() - keep);
}

void stderr_tap::copy_through(const char* data, size_t size) {
    while (size > 0) {
        const auto written = RUV_WRITE(m_original, data, size);
        if (written <= 0) return;
        data += written;
        size -= size_t(written);
    }
}

}  // namespace ruv_import
