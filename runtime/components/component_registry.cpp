// Registered components and their open instances. Both are records owned by
// the registry; the Component and ComponentInstance values handed out are
// their addresses, checked against the registry on every use so that a stale
// or foreign value is refused. Entry routines run without the registry's lock
// held, so they may call back into the Component Manager.
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <vector>

#include "components/component_manager.h"

struct ComponentRecord {
    ComponentDescription description;
    ComponentRoutine entry;
};

struct ComponentInstanceRecord {
    ComponentRecord* component;
    Handle storage;
};

namespace qtrt {

namespace {

struct registry {
    std::mutex mutex;
    std::vector<ComponentRecord*> components;  // in registration order
    std::set<ComponentInstanceRecord*> instances;
};

registry& the_registry() {
    static registry* r = new registry;
    return *r;
}

bool is_registered(ComponentRecord* c) {
    for (ComponentRecord* known : the_registry().components) {
        if (known == c) {
            return true;
        }
    }
    return false;
}

// The instance's component entry and storage; false for an unknown instance.
bool instance_target(ComponentInstance ci, ComponentRoutine& entry, Handle& storage) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.instances.count(ci) == 0) {
        return false;
    }
    entry = ci->component->entry;
    storage = ci->storage;
    return true;
}

bool field_matches(OSType wanted, OSType have) {
    return wanted == 0 || wanted == have;
}

bool matches(const ComponentDescription& wanted, const ComponentDescription& have) {
    return field_matches(wanted.componentType, have.componentType) &&
           field_matches(wanted.componentSubType, have.componentSubType) &&
           field_matches(wanted.componentManufacturer, have.componentManufacturer) &&
           (have.componentFlags & wanted.componentFlagsMask) ==
               (wanted.componentFlags & wanted.componentFlagsMask);
}

}  // namespace

Component RegisterComponent(ComponentDescription* cd, ComponentRoutine componentEntryPoint,
                            int16_t, Handle, Handle, Handle) {
    if (cd == nullptr || componentEntryPoint == nullptr) {
        return nullptr;
    }
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (ComponentRecord* known : r.components) {
        if (known->entry == componentEntryPoint &&
            std::memcmp(&known->description, cd, sizeof *cd) == 0) {
            return known;
        }
    }
    auto* c = new (std::nothrow) ComponentRecord{*cd, componentEntryPoint};
    if (c == nullptr) {
        return nullptr;
    }
    try {
        r.components.push_back(c);
    } catch (const std::bad_alloc&) {
        delete c;
        return nullptr;
    }
    return c;
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.instances.count(aComponentInstance) != 0) {
        aComponentInstance->storage = theStorage;
    }
}

Handle GetComponentInstanceStorage(ComponentInstance ci) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.instances.count(ci) != 0 ? ci->storage : nullptr;
}

ComponentResult CallComponent(ComponentInstance ci, ComponentParameters* params) {
    ComponentRoutine entry = nullptr;
    Handle storage = nullptr;
    if (!instance_target(ci, entry, storage)) {
        return badComponentInstance;
    }
    if (params == nullptr) {
        return paramErr;
    }
    return entry(params, storage);
}

Component find_component(const ComponentDescription& looking_for, Component after) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    size_t i = 0;
    if (after != nullptr) {
        while (i < r.components.size() && r.components[i] != after) {
            ++i;
        }
        ++i;  // past `after`; an unknown `after` finds nothing
    }
    for (; i < r.components.size(); ++i) {
        if (matches(looking_for, r.components[i]->description)) {
            return r.components[i];
        }
    }
    return nullptr;
}

bool component_description(Component c, ComponentDescription& cd) {
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!is_registered(c)) {
        return false;
    }
    cd = c->description;
    return true;
}

ComponentInstance open_component(Component c, ComponentResult* error) {
    ComponentResult ignored = noErr;
    ComponentResult& result = error != nullptr ? *error : ignored;
    result = noErr;
    registry& r = the_registry();
    auto* ci = new (std::nothrow) ComponentInstanceRecord{c, nullptr};
    if (ci == nullptr) {
        result = memFullErr;
        return nullptr;
    }
    try {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!is_registered(c)) {
            delete ci;
            result = invalidComponentID;
            return nullptr;
        }
        r.instances.insert(ci);
    } catch (const std::bad_alloc&) {
        delete ci;
        result = memFullErr;
        return nullptr;
    }
    int32_t self = int32_t(reinterpret_cast<intptr_t>(ci));
    result = call_component(ci, kComponentOpenSelect, {self});
    if (result != noErr) {
        // The Open failed: let the component release what it made, then drop
        // the instance.
        call_component(ci, kComponentCloseSelect, {self});
        std::lock_guard<std::mutex> lock(r.mutex);
        r.instances.erase(ci);
        delete ci;
        return nullptr;
    }
    return ci;
}

ComponentResult close_component(ComponentInstance ci) {
    ComponentRoutine entry = nullptr;
    Handle storage = nullptr;
    if (!instance_target(ci, entry, storage)) {
        return badComponentInstance;
    }
    ComponentResult result =
        call_component(ci, kComponentCloseSelect, {int32_t(reinterpret_cast<intptr_t>(ci))});
    registry& r = the_registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.instances.erase(ci) != 0) {
        delete ci;
    }
    return result;
}

}  // namespace qtrt
