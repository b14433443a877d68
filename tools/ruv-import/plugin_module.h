// An importer module loaded by path with the platform's module loader, and
// the factory it exports. The module stays loaded as long as this object
// lives: every component it made must be gone before.
#pragma once

#include <string>

#include "lib/cm/CMComponent.h"

namespace ruv_import {

class plugin_module {
public:
    plugin_module() = default;
    ~plugin_module();
    plugin_module(const plugin_module&) = delete;
    plugin_module& operator=(const plugin_module&) = delete;

    // false with the reason in error when the module cannot be loaded.
    bool load(const std::string& path, std::string& error);
    // The module's getComponentInstance, or null when it has none.
    Ruv::CM::GetComponentInstanceFn factory() const;

    const std::string& path() const { return m_path; }

private:
    void* m_handle = nullptr;
    std::string m_path;
};

// The plug-in module in the folder of the running program.
std::string default_module_path();

}  // namespace ruv_import
