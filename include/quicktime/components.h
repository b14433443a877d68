// The Component Manager's types: component descriptions, instances and the
// parameter record a component call carries.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

typedef int32_t ComponentResult;
typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

// QuickTime's 68k alignment (2-byte packing).
#pragma pack(push, 2)

struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    uint32_t componentFlags;
    uint32_t componentFlagsMask;
};

// A component call's parameter record: flags, byte count of the parameters,
// the routine selector ("what"), then the parameters as 32-bit words.
struct ComponentParameters {
    uint8_t flags;
    uint8_t paramSize;
    int16_t what;
    int32_t params[1];
};

#pragma pack(pop)

typedef ComponentResult (*ComponentRoutineUPP)(ComponentParameters* params, Handle storage);
typedef ComponentRoutineUPP ComponentRoutinePtr;
// A component routine of any signature; cast to it (as the ProcPtr of C).
typedef void (*ComponentFunctionUPP)(void);

constexpr ComponentResult badComponentInstance = ComponentResult(0x80008001);
constexpr ComponentResult badComponentSelector = ComponentResult(0x80008002);
