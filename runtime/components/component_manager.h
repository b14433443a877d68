// The Component Manager: registered components (a description and an entry
// routine), their open instances with per-instance storage, and calls through
// a parameter record.
//
// A parameter record holds the flags (0), the byte count of the parameters,
// the routine selector ("what") and then every parameter as one 32-bit word,
// in call order. An entry routine receives the record and the instance's
// storage. The runtime's own components (media handlers, the time code
// handler, data handlers) register through the same path from C++ code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "quicktime/components.h"

typedef ComponentRoutineUPP ComponentRoutine;

// Selectors every component may be asked.
enum : int16_t {
    kComponentOpenSelect = -1,     // param: the new instance
    kComponentCloseSelect = -2,    // param: the instance
    kComponentCanDoSelect = -3,    // param: a selector; answers 1 or 0
    kComponentVersionSelect = -4,
    kComponentRegisterSelect = -5,
    kComponentTargetSelect = -6,
    kComponentUnregisterSelect = -7,
};

namespace qtrt {

// The answer for a Component that is not registered.
constexpr ComponentResult invalidComponentID = -3000;

// Public routines.
// Registering the same description with the same entry routine again answers
// the existing registration.
Component RegisterComponent(ComponentDescription* cd, ComponentRoutine componentEntryPoint,
                            int16_t global, Handle componentName, Handle componentInfo,
                            Handle componentIcon);
void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
// The next registered component after aComponent (null: the first) that
// matches looking (zero fields match anything; flags under the mask); null
// when there is none or looking is null.
Component FindNextComponent(Component aComponent, ComponentDescription* looking);
// How many registered components match looking (0 for null).
int32_t CountComponents(ComponentDescription* looking);
// Selector 0x10000: the call of a component routine through its record.
ComponentResult CallComponent(ComponentInstance ci, ComponentParameters* params);

// Internal API for the runtime's own use.
Handle GetComponentInstanceStorage(ComponentInstance ci);

// The next registered component after `after` (null: the first) that matches:
// zero type, subtype or manufacturer fields match anything; flags are compared
// under the mask. Null when there is none.
Component find_component(const ComponentDescription& looking_for,
                         Component after = nullptr);
bool component_description(Component c, ComponentDescription& cd);

// Makes an instance and calls its Open routine with the instance. An Open that
// fails removes the instance again: the result is null and `error` (when
// given) holds the Open's result.
ComponentInstance open_component(Component c, ComponentResult* error = nullptr);
// Calls the instance's Close routine and removes the instance.
ComponentResult close_component(ComponentInstance ci);
// The component's answer to CanDo for a selector: 1 or 0 (0 also for an
// unknown instance).
ComponentResult component_can_do(ComponentInstance ci, int16_t what);
// Builds a record from the 32-bit words and calls the instance with it.
ComponentResult call_component(ComponentInstance ci, int16_t what,
                               std::initializer_list<int32_t> params);

// The parameter word at `index` (0 is the first parameter); 0 when the record
// holds fewer parameters.
int32_t component_param(const ComponentParameters* params, int index);

// A component written as a table of routines, one per selector. Each routine
// receives the instance storage and the record. dispatch_component_call answers
// CanDo from the table (Open, Close and CanDo always can), treats a missing
// Open or Close as success, and answers badComponentSelector for any other
// selector the table lacks.
struct component_routine {
    int16_t what;
    ComponentResult (*routine)(Handle storage, const ComponentParameters* params);
};
ComponentResult dispatch_component_call(ComponentParameters* params, Handle storage,
                                        const component_routine* rows, size_t count);

}  // namespace qtrt
