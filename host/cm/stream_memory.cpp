// Streams over bytes in memory, and the registry behind "mem:NAME".
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "lib/kolmbase/ds_og.h"
#include "stream_kinds.h"
#include "stream_seek.h"

namespace Ruv {
namespace CM {
namespace {

typedef std::shared_ptr<const kolmbase::stream::mem> shared_bytes;

struct memory_registry {
    std::mutex mutex;
    std::map<std::string, shared_bytes> streams;
};

memory_registry& registry() {
    static memory_registry the_registry;
    return the_registry;
}

shared_bytes lookup(const std::string& name) {
    memory_registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto found = r.streams.find(name);
    return found == r.streams.end() ? nullptr : found->second;
}

// With an empty name the bytes are given at construction; otherwise they are
// looked up by name at open().
class memory_stream : public RStream {
public:
    memory_stream(shared_bytes bytes, const std::string& name, const CString& uri)
        : m_bytes(std::move(bytes)), m_name(name), m_uri(uri) {}

    int open() override {
        if (m_open) return 0;
        if (!m_name.empty()) m_bytes = lookup(m_name);
        if (!m_bytes) {
            kolmbase::ds_og::print(1, "cannot open '%s': no memory stream of that name",
                                   m_uri.c_str());
            return -1;
        }
        m_open = true;
        m_position = 0;
        return 0;
    }

    void close() override { m_open = false; }

    int64_t lseek(int64_t offset, unsigned char origin) override {
        if (!m_open) return -1;
        const int64_t target =
            streams::seek_target(m_position, int64_t(m_bytes->size()), offset, origin);
        if (target < 0) return -1;
        m_position = target;
        return m_position;
    }

    int64_t size() override { return m_open ? m_bytes->size() : -1; }
    CString getURI() const override { return m_uri; }

protected:
    int64_t readSome(unsigned char* buffer, int64_t length) override {
        if (!m_open) return -1;
        const int64_t total = m_bytes->size();
        if (m_position >= total) return 0;
        const int64_t count = std::min(length, total - m_position);
        std::memcpy(buffer, m_bytes->data().data() + m_position, size_t(count));
        m_position += count;
        return count;
    }

private:
    shared_bytes m_bytes;
    std::string m_name;
    CString m_uri;
    bool m_open = false;
    int64_t m_position = 0;
};

}  // namespace

RPtr<RStream> streams::memory(shared_bytes data, const CString& uri) {
    return RPtr<RStream>(new memory_stream(std::move(data), std::string(), uri));
}

RPtr<RStream> streams::registered_memory(const std::string& name, const CString& uri) {
    if (name.empty()) return unreadable(uri, "no memory stream name");
    return RPtr<RStream>(new memory_stream(nullptr, name, uri));
}

void RStream::registerMemory(const std::string& name, const kolmbase::stream::mem& data) {
    shared_bytes bytes = std::make_shared<const kolmbase::stream::mem>(data);
    memory_registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.streams[name] = std::move(bytes);
}

void RStream::unregisterMemory(const std::string& name) {
    memory_registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.streams.erase(name);
}

RPtr<RStream> RStream::createWithMemory(const kolmbase::stream::mem& data, const CString& uri) {
    return streams::memory(std::make_shared<const kolmbase::stream::mem>(data), uri);
}

}  // namespace CM
}  // namespace Ruv
