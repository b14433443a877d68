// Counted objects, their registry, and the data-symbol lookup.
#include "cf/cf_object.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace qtrt {

namespace {

std::mutex& registry_mutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::unordered_set<const void*>& registry() {
    static auto* live = new std::unordered_set<const void*>;
    return *live;
}

}  // namespace

CFAllocatorRef kCFAllocatorDefault = nullptr;

cf_object::cf_object(cf_kind kind) : m_kind(kind) {
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry().insert(this);  // throws bad_alloc, failing the construction
}

cf_object::~cf_object() {
    std::lock_guard<std::mutex> lock(registry_mutex());
    registry().erase(this);
}

void cf_object::retain() {
    if (!m_constant) {
        m_count.fetch_add(1);
    }
}

void cf_object::release() {
    if (!m_constant && m_count.fetch_sub(1) == 1) {
        delete this;
    }
}

cf_object* cf_lookup(CFTypeRef ref, cf_kind kind) {
    if (ref == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(registry_mutex());
    if (registry().count(ref) == 0) {
        return nullptr;
    }
    auto* object = static_cast<cf_object*>(const_cast<void*>(ref));
    return object->kind() == kind ? object : nullptr;
}

namespace {

cf_object* lookup_any(CFTypeRef ref) {
    if (ref == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(registry_mutex());
    if (registry().count(ref) == 0) {
        return nullptr;
    }
    return static_cast<cf_object*>(const_cast<void*>(ref));
}

}  // namespace

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf_object* object = lookup_any(cf)) {
        object->retain();
    }
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (cf_object* object = lookup_any(cf)) {
        object->release();
    }
}

const void* CFDataPointerForName(const char* name) {
    if (name != nullptr && std::strcmp(name, "kCFAllocatorDefault") == 0) {
        return &kCFAllocatorDefault;
    }
    return nullptr;
}

}  // namespace qtrt
