#include "factory.h"

#include <exception>
#include <new>

#include "apple_qt.h"

extern "C" APPLE_QT_API Ruv::CM::RImporter* getComponentInstance() {
    // No exception may cross into a host that knows only the C entry.
    try {
        return new (std::nothrow) apple_qt();
    } catch (const std::exception&) {
        return nullptr;
    }
}
