// Relocatable blocks. A Handle is the address of a master pointer, allocated
// on its own so that it stays put while the block behind it moves. The block
// starts with a header holding its size, its capacity and the lock state; the
// master pointer holds the address just after the header. Live handles are
// registered so that stale or foreign handles are refused with nilHandleErr.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "memory/mem_error.h"
#include "memory/memory_manager.h"

namespace qtrt {

namespace {

struct block_header {
    Size size;
    Size capacity;
    uint32_t locked;
    uint32_t reserved;  // keeps the block 16-byte aligned after the header
};

constexpr Size k_max_block = Size(0x7FFFFFFF - sizeof(block_header));

std::mutex& handles_mutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::unordered_set<Handle>& live_handles() {
    static auto* live = new std::unordered_set<Handle>;
    return *live;
}

block_header* header_of(Handle h) {
    return reinterpret_cast<block_header*>(*h) - 1;
}

// Allocates a block of `capacity` bytes with its header; null on failure.
block_header* allocate_block(Size capacity, bool clear) {
    size_t bytes = sizeof(block_header) + size_t(capacity);
    void* raw = clear ? std::calloc(1, bytes) : std::malloc(bytes);
    if (raw == nullptr) {
        return nullptr;
    }
    auto* header = static_cast<block_header*>(raw);
    header->size = capacity;
    header->capacity = capacity;
    header->locked = 0;
    return header;
}

Handle new_handle(Size byteCount, bool clear) {
    if (byteCount < 0) {
        set_mem_error(paramErr);
        return nullptr;
    }
    if (byteCount > k_max_block) {
        set_mem_error(memFullErr);
        return nullptr;
    }
    block_header* header = allocate_block(byteCount, clear);
    auto* master = static_cast<Ptr*>(std::malloc(sizeof(Ptr)));
    if (header == nullptr || master == nullptr) {
        std::free(header);
        std::free(master);
        set_mem_error(memFullErr);
        return nullptr;
    }
    *master = reinterpret_cast<Ptr>(header + 1);
    try {
        std::lock_guard<std::mutex> lock(handles_mutex());
        live_handles().insert(master);
    } catch (const std::bad_alloc&) {
        std::free(header);
        std::free(master);
        set_mem_error(memFullErr);
        return nullptr;
    }
    set_mem_error(noErr);
    return master;
}

// Registered handle, or nilHandleErr set and false.
bool check_handle(Handle h) {
    if (is_valid_handle(h)) {
        return true;
    }
    set_mem_error(nilHandleErr);
    return false;
}

// Resizes a live handle's block; answers the Memory Manager result.
OSErr resize(Handle h, Size newSize) {
    block_header* header = header_of(h);
    if (newSize <= header->capacity) {
        header->size = newSize;
        return noErr;
    }
    if (header->locked != 0) {
        return memFullErr;  // a locked block cannot move
    }
    if (newSize > k_max_block) {
        return memFullErr;
    }
    void* raw = std::realloc(header, sizeof(block_header) + size_t(newSize));
    if (raw == nullptr) {
        return memFullErr;
    }
    header = static_cast<block_header*>(raw);
    std::memset(reinterpret_cast<char*>(header + 1) + header->size, 0,
                size_t(newSize - header->size));
    header->size = newSize;
    header->capacity = newSize;
    *h = reinterpret_cast<Ptr>(header + 1);
    return noErr;
}

}  // namespace

bool is_valid_handle(Handle h) {
    if (h == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(handles_mutex());
    return live_handles().count(h) != 0;
}

Handle NewHandle(Size byteCount) {
    return new_handle(byteCount, false);
}

Handle NewHandleClear(Size byteCount) {
    return new_handle(byteCount, true);
}

void DisposeHandle(Handle h) {
    {
        std::lock_guard<std::mutex> lock(handles_mutex());
        if (h == nullptr || live_handles().erase(h) == 0) {
            set_mem_error(nilHandleErr);
            return;
        }
    }
    std::free(header_of(h));
    std::free(h);
    set_mem_error(noErr);
}

Size GetHandleSize(Handle h) {
    if (!check_handle(h)) {
        return 0;
    }
    set_mem_error(noErr);
    return header_of(h)->size;
}

void SetHandleSize(Handle h, Size newSize) {
    if (!check_handle(h)) {
        return;
    }
    if (newSize < 0) {
        set_mem_error(paramErr);
        return;
    }
    set_mem_error(resize(h, newSize));
}

void HLock(Handle h) {
    if (!check_handle(h)) {
        return;
    }
    header_of(h)->locked = 1;
    set_mem_error(noErr);
}

void HUnlock(Handle h) {
    if (!check_handle(h)) {
        return;
    }
    header_of(h)->locked = 0;
    set_mem_error(noErr);
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, int32_t size) {
    if (dstHndl == nullptr || size < 0 || (srcPtr == nullptr && size > 0)) {
        return set_mem_error(paramErr);
    }
    *dstHndl = nullptr;
    Handle h = NewHandle(size);
    if (h == nullptr) {
        return MemError();
    }
    BlockMoveData(srcPtr, *h, size);
    *dstHndl = h;
    return set_mem_error(noErr);
}

OSErr PtrAndHand(const void* ptr1, Handle hand2, int32_t size) {
    if (!check_handle(hand2)) {
        return nilHandleErr;
    }
    if (size < 0 || (ptr1 == nullptr && size > 0)) {
        return set_mem_error(paramErr);
    }
    Size old_size = header_of(hand2)->size;
    if (size > k_max_block - old_size) {
        return set_mem_error(memFullErr);
    }
    // The source may lie inside the handle's own block, which may move.
    const char* src = static_cast<const char*>(ptr1);
    const char* block = *hand2;
    bool inside = src != nullptr && src >= block && src < block + old_size;
    std::ptrdiff_t offset = inside ? src - block : 0;
    OSErr err = resize(hand2, old_size + size);
    if (err != noErr) {
        return set_mem_error(err);
    }
    BlockMoveData(inside ? *hand2 + offset : src, *hand2 + old_size, size);
    return set_mem_error(noErr);
}

OSErr HandToHand(Handle* theHndl) {
    if (theHndl == nullptr) {
        return set_mem_error(paramErr);
    }
    if (!check_handle(*theHndl)) {
        return nilHandleErr;
    }
    Handle copy = NewHandle(header_of(*theHndl)->size);
    if (copy == nullptr) {
        return MemError();
    }
    BlockMoveData(**theHndl, *copy, header_of(*theHndl)->size);
    *theHndl = copy;
    return set_mem_error(noErr);
}

}  // namespace qtrt
