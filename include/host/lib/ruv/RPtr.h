// Counted reference to a kolmbase::object_refcount: retains on construction
// from a pointer and on copy, releases on destruction.
#pragma once

#include <cstddef>
#include <utility>

namespace Ruv {

template <class T>
class RPtr {
public:
    RPtr() : m_ptr(nullptr) {}
    RPtr(std::nullptr_t) : m_ptr(nullptr) {}
    RPtr(T* ptr) : m_ptr(ptr) { acquire(); }
    RPtr(const RPtr& other) : m_ptr(other.m_ptr) { acquire(); }
    RPtr(RPtr&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
    template <class U>
    RPtr(const RPtr<U>& other) : m_ptr(other.get()) { acquire(); }
    ~RPtr() { drop(); }

    RPtr& operator=(const RPtr& other) {
        RPtr(other).swap(*this);
        return *this;
    }
    RPtr& operator=(RPtr&& other) noexcept {
        RPtr(std::move(other)).swap(*this);
        return *this;
    }
    RPtr& operator=(T* ptr) {
        RPtr(ptr).swap(*this);
        return *this;
    }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    bool isNull() const { return m_ptr == nullptr; }
    void reset() { drop(); }
    void swap(RPtr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    // Gives up this reference without releasing it: the caller now holds one
    // count on the object.
    T* detach() {
        T* ptr = m_ptr;
        m_ptr = nullptr;
        return ptr;
    }

private:
    void acquire() {
        if (m_ptr) m_ptr->retain();
    }
    void drop() {
        T* ptr = m_ptr;
        m_ptr = nullptr;
        if (ptr) ptr->release();
    }

    T* m_ptr;
};

template <class T, class U>
bool operator==(const RPtr<T>& a, const RPtr<U>& b) { return a.get() == b.get(); }
template <class T, class U>
bool operator!=(const RPtr<T>& a, const RPtr<U>& b) { return a.get() != b.get(); }

}  // namespace Ruv
