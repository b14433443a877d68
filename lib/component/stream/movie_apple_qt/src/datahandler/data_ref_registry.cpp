#include "datahandler/data_ref_registry.h"

#include <mutex>
#include <unordered_set>

namespace datahandler {

namespace {

struct registry {
    std::mutex mutex;
    std::unordered_set<uintptr_t> live;
};

// Never destroyed: data references may be destroyed during static
// destruction, after a registry of static duration would be gone.
registry& the_registry() {
    static registry* r = new registry;
    return *r;
}

}  // namespace

void add_live_data_ref(CMDataRef* ref) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.live.insert(reinterpret_cast<uintptr_t>(ref));
}

void remove_live_data_ref(CMDataRef* ref) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.live.erase(reinterpret_cast<uintptr_t>(ref));
}

CMDataRef* live_data_ref_at(uintptr_t address) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.live.count(address) != 0 ? reinterpret_cast<CMDataRef*>(address) : nullptr;
}

}  // namespace datahandler
