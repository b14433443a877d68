// Value classes of the QuickTime layer that the plug-in module exports: a
// component's seven 32-bit fields and its name, and a queue of 32-bit
// entries. Nothing in the plug-in makes them; they are part of its interface.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "datahandler/datahandler_export.h"

namespace qt {

class MOVIE_APPLE_QT_API component {
public:
    component();
    component(const component& other);
    component& operator=(const component& other);
    ~component();

    uint32_t fields[7];
    std::string name;
};

class MOVIE_APPLE_QT_API component_manager {
public:
    component_manager();
    component_manager(const component_manager& other);
    component_manager& operator=(const component_manager& other);
    ~component_manager();

    std::deque<uint32_t> entries;
};

}  // namespace qt
