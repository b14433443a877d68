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
    // Ends the object (lastReleased) when the count reaches 0.
    void release() const;
    int refcount() const;

protected:
    // Called by the release that brings the count to 0: destroys the object.
    // A class that must finish work before its members go overrides it.
    virtual void lastReleased() const;

private:
    mutable std::atomic<int> m_refcount;
};

}  // namespace kolmbase
