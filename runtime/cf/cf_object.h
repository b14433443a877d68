// Counted CoreFoundation objects. Every object the runtime hands out is
// registered while alive, so that a call with a pointer that is not a live
// object of the expected kind fails cleanly instead of touching memory.
#pragma once

#include <atomic>

#include "quicktime/core_foundation.h"

namespace qtrt {

enum class cf_kind { string, url };

class cf_object {
public:
    explicit cf_object(cf_kind kind);
    virtual ~cf_object();
    cf_object(const cf_object&) = delete;
    cf_object& operator=(const cf_object&) = delete;

    cf_kind kind() const { return m_kind; }

    // A constant object ignores retains and releases and lives forever.
    void make_constant() { m_constant = true; }
    bool constant() const { return m_constant; }

    void retain();
    // Deletes the object when the last reference goes.
    void release();

private:
    cf_kind m_kind;
    bool m_constant = false;
    std::atomic<int> m_count{1};
};

// The live object behind ref when it is of the given kind, else null.
cf_object* cf_lookup(CFTypeRef ref, cf_kind kind);

CFTypeRef CFRetain(CFTypeRef cf);
// Releasing null or something that is not a live object does nothing.
void CFRelease(CFTypeRef cf);

// The address of the named data symbol, or null. Only "kCFAllocatorDefault"
// (a variable holding the default allocator, null) is known.
const void* CFDataPointerForName(const char* name);

extern CFAllocatorRef kCFAllocatorDefault;

}  // namespace qtrt
