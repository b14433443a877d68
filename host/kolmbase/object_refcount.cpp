#include "lib/kolmbase/object_refcount.h"

#include "lib/kolmbase/ds_og.h"

namespace kolmbase {

object_refcount::object_refcount() : m_refcount(0) {}

object_refcount::object_refcount(const object_refcount&) : m_refcount(0), m_last_release(nullptr) {}

object_refcount& object_refcount::operator=(const object_refcount&) { return *this; }

object_refcount::~object_refcount() = default;

void object_refcount::retain() const { m_refcount.fetch_add(1, std::memory_order_relaxed); }

void object_refcount::release() const {
    const int previous = m_refcount.fetch_sub(1, std::memory_order_acq_rel);
    ds_og::abort_if(previous <= 0, "release of an object that holds no reference", __FILE__,
                    __LINE__);
    if (previous != 1) return;
    if (m_last_release)
        m_last_release(this);
    else
        delete this;
}

int object_refcount::refcount() const { return m_refcount.load(std::memory_order_acquire); }

}  // namespace kolmbase
