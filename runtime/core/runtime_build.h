// What varies between builds of the runtime module: its version and the
// routine tables the dispatcher searches. The library carries defaults (the
// current version, every area); a module build that defines either object
// replaces the default, so test variants of the runtime come from the same
// sources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/routine_table.h"

namespace qtrt {

struct build_version {
    // Gestalt('qtim'): major in BCD, minor and bug-fix in the next byte, then
    // the release stage (0x80 final) and the non-final release number.
    uint32_t gestalt_qtim;
    // The file version, a 16-bit word per part: major, minor, bug fix, build.
    uint16_t file_version[4];
};

struct area_list {
    const routine_table* const* tables;
    size_t count;
};

extern const build_version k_build_version;
// In search order: a selector found in an earlier table wins.
extern const area_list k_runtime_areas;

}  // namespace qtrt
