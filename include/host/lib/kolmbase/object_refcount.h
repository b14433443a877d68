// Intrusive reference count shared by every counted host object.
//
// An object starts with a count of 0: the first Ruv::RPtr that takes it
// raises the count to 1, and the release that brings the count back to 0
// destroys it. A raw pointer to a counted object therefore holds no
// reference of its own.
#pragma once

#include <atomic>

#include "lib/host_export.h"

namespace kolmbase {

class KOLMBASE_API object_refcount {
public:
    object_refcount();
    object_refcount(const object_refcount&);             // a copy starts uncounted
    object_refcount& operator=(const object_refcount&);  // keeps this object's count
    virtual ~object_refcount();

    void retain() const;
    // Destroys the object when the count reaches 0, or hands it to the
    // last-release routine when one is set.
    void release() const;
    int refcount() const;

protected:
    // What the release that brings the count to 0 does instead of deleting
    // the object, for a base class that must finish work before any part of
    // the object goes; the routine destroys the object. A routine and not a
    // virtual function: the table of every counted class begins with its
    // destructor, and the classes derived from it fill the slots after it.
    using last_release_routine = void (*)(const object_refcount* object);
    void setLastRelease(last_release_routine routine) { m_last_release = routine; }

private:
    mutable std::atomic<int> m_refcount;
    last_release_routine m_last_release = nullptr;
};

}  // namespace kolmbase
