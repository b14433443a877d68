// Nonrelocatable blocks. Each block starts with a header holding its size;
// the caller gets the address just after it. Live blocks are registered so
// that a foreign pointer is refused with paramErr instead of being freed.
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_set>

#include "memory/mem_error.h"
#include "memory/memory_manager.h"

namespace qtrt {

namespace {

struct ptr_header {
    Size size;
    uint32_t reserved[3];  // keeps the block 16-byte aligned after the header
};

std::mutex& ptrs_mutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::unordered_set<Ptr>& live_ptrs() {
    static auto* live = new std::unordered_set<Ptr>;
    return *live;
}

bool is_live(Ptr p) {
    std::lock_guard<std::mutex> lock(ptrs_mutex());
    return live_ptrs().count(p) != 0;
}

Ptr new_ptr(Size byteCount, bool clear) {
    if (byteCount < 0) {
        set_mem_error(paramErr);
        return nullptr;
    }
    if (size_t(byteCount) > size_t(0x7FFFFFFF) - sizeof(ptr_header)) {
        set_mem_error(memFullErr);
        return nullptr;
    }
    size_t bytes = sizeof(ptr_header) + size_t(byteCount);
    void* raw = clear ? std::calloc(1, bytes) : std::malloc(bytes);
    if (raw == nullptr) {
        set_mem_error(memFullErr);
        return nullptr;
    }
    auto* header = static_cast<ptr_header*>(raw);
    header->size = byteCount;
    Ptr p = reinterpret_cast<Ptr>(header + 1);
    try {
        std::lock_guard<std::mutex> lock(ptrs_mutex());
        live_ptrs().insert(p);
    } catch (const std::bad_alloc&) {
        std::free(raw);
        set_mem_error(memFullErr);
        return nullptr;
    }
    set_mem_error(noErr);
    return p;
}

}  // namespace

Ptr NewPtr(Size byteCount) {
    return new_ptr(byteCount, false);
}

Ptr NewPtrClear(Size byteCount) {
    return new_ptr(byteCount, true);
}

Size GetPtrSize(Ptr p) {
    if (p == nullptr || !is_live(p)) {
        set_mem_error(paramErr);
        return 0;
    }
    set_mem_error(noErr);
    return (reinterpret_cast<ptr_header*>(p) - 1)->size;
}

void DisposePtr(Ptr p) {
    if (p == nullptr) {
        set_mem_error(noErr);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(ptrs_mutex());
        if (live_ptrs().erase(p) == 0) {
            set_mem_error(paramErr);
            return;
        }
    }
    std::free(reinterpret_cast<ptr_header*>(p) - 1);
    set_mem_error(noErr);
}

}  // namespace qtrt
