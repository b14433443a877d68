// Parameter records: building them, reading their words, and dispatching
// them to a component's table of routines.
#include <cstring>
#include <vector>

#include "components/component_manager.h"

namespace qtrt {

namespace {

constexpr size_t k_record_header = 4;  // flags, parameter size, what

}  // namespace

int32_t component_param(const ComponentParameters* params, int index) {
    if (params == nullptr || index < 0 || size_t(index + 1) * 4 > params->paramSize) {
        return 0;
    }
    int32_t value;
    std::memcpy(&value,
                reinterpret_cast<const uint8_t*>(params) + k_record_header + size_t(index) * 4,
                sizeof value);
    return value;
}

ComponentResult call_component(ComponentInstance ci, int16_t what,
                               std::initializer_list<int32_t> params) {
    // The record lives in 32-bit words: the header word, then the parameters.
    std::vector<int32_t> words(1 + params.size());
    auto* record = reinterpret_cast<ComponentParameters*>(words.data());
    record->flags = 0;
    record->paramSize = uint8_t(params.size() * 4);
    record->what = what;
    size_t i = 1;
    for (int32_t p : params) {
        words[i++] = p;
    }
    return CallComponent(ci, record);
}

ComponentResult component_can_do(ComponentInstance ci, int16_t what) {
    ComponentResult result = call_component(ci, kComponentCanDoSelect, {what});
    return result == 1 ? 1 : 0;
}

ComponentResult dispatch_component_call(ComponentParameters* params, Handle storage,
                                        const component_routine* rows, size_t count) {
    if (params == nullptr) {
        return paramErr;
    }
    auto find = [&](int16_t what) -> const component_routine* {
        for (size_t i = 0; i < count; ++i) {
            if (rows[i].what == what) {
                return &rows[i];
            }
        }
        return nullptr;
    };
    int16_t what = params->what;
    if (const component_routine* row = find(what)) {
        return row->routine(storage, params);
    }
    switch (what) {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
        return noErr;
    case kComponentCanDoSelect: {
        auto asked = int16_t(component_param(params, 0));
        bool always = asked == kComponentOpenSelect || asked == kComponentCloseSelect ||
                      asked == kComponentCanDoSelect;
        return always || find(asked) != nullptr ? 1 : 0;
    }
    default:
        return badComponentSelector;
    }
}

}  // namespace qtrt
