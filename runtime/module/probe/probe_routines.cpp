// Routines of the test builds of the runtime that report what reached them.
// They come first in the probe builds' search order, replacing the area
// routines with the same selectors.
#include <cstring>

#include "components/component_manager.h"
#include "core/all_areas.h"
#include "core/runtime_build.h"
#include "module/probe/probe_observation.h"
#include "quicktime/core_foundation.h"
#include "quicktime/movies.h"

namespace qtrt_probe {

namespace {

constexpr int16_t kWhatMediaGetPublicInfo = 0x0565;

registrations_seen g_registrations = {};

ComponentResult component_call(ComponentInstance instance, ComponentParameters* params) {
    const ComponentResult result = qtrt::CallComponent(instance, params);
    if (!params || result != badComponentInstance) return result;
    if (params->what != kWhatMediaGetPublicInfo) return params->what;
    void* info = reinterpret_cast<void*>(uintptr_t(uint32_t(params->params[1])));
    if (uint32_t(params->params[0]) == kRegistrationsSelector) {
        std::memcpy(info, &g_registrations, sizeof g_registrations);
        return noErr;
    }
    component_call_seen seen = {};
    seen.instance = uint32_t(reinterpret_cast<uintptr_t>(instance));
    seen.flags = params->flags;
    seen.param_size = params->paramSize;
    seen.what = params->what;
    const size_t words = params->paramSize / 4 < 6 ? params->paramSize / 4 : 6;
    std::memcpy(seen.words, params->params, words * 4);
    std::memcpy(info, &seen, sizeof(seen));
    return noErr;
}

Component register_component(ComponentDescription* cd, ComponentRoutine entry, int16_t global,
                             Handle name, Handle info, Handle icon) {
    g_registrations.count += 1;
    if (cd) {
        const uint32_t fields[5] = {cd->componentType, cd->componentSubType,
                                    cd->componentManufacturer, cd->componentFlags,
                                    cd->componentFlagsMask};
        std::memcpy(g_registrations.description, fields, sizeof fields);
    }
    g_registrations.global = global;
    g_registrations.has_entry = entry != nullptr;
    return qtrt::RegisterComponent(cd, entry, global, name, info, icon);
}

OSErr set_media_data_ref(Media, int16_t, Handle, OSType) { return kSetMediaDataRefAnswer; }

void track_time_to_media_display_time(TimeValue64* result, const TimeValue64* value,
                                      const Track* track) {
    *result = *value * 3 + TimeValue64(reinterpret_cast<intptr_t>(*track));
}

void media_decode_duration(TimeValue64* result, const Media* media) {
    *result = TimeValue64(uint64_t(reinterpret_cast<uintptr_t>(*media)) << 32 | 0x7FFFFFFF);
}

void next_interesting_decode_time(const Media*, const int16_t* flags, const TimeValue64* time,
                                  const Fixed* rate, TimeValue64** out_time,
                                  TimeValue64** out_duration) {
    **out_time = *time + *flags;
    **out_duration = TimeValue64(*rate) * 2;
}

CFStringRef make_constant_string(const char*) {
    return reinterpret_cast<CFStringRef>(kConstantStringAnswer);
}

void* const k_data_symbol = reinterpret_cast<void*>(kDataSymbolContent);

const void* data_symbol(const char*) { return &k_data_symbol; }

const qtrt::routine k_rows[] = {
    {0x10000, reinterpret_cast<const void*>(&component_call)},
    {0x10001, reinterpret_cast<const void*>(&register_component)},
    {0x2044D, reinterpret_cast<const void*>(&media_decode_duration)},
    {0x201C9, reinterpret_cast<const void*>(&set_media_data_ref)},
    {0x2045B, reinterpret_cast<const void*>(&track_time_to_media_display_time)},
    {0x2045E, reinterpret_cast<const void*>(&next_interesting_decode_time)},
    {0x320222, reinterpret_cast<const void*>(&make_constant_string)},
    {0x32028A, reinterpret_cast<const void*>(&data_symbol)},
};

const qtrt::routine_table k_probe_routines = qtrt::make_table(k_rows);
const qtrt::routine_table* const k_tables[] = {&k_probe_routines, QTRT_ALL_AREAS};

}  // namespace

}  // namespace qtrt_probe

namespace qtrt {

const area_list k_runtime_areas = {qtrt_probe::k_tables,
                                   sizeof(qtrt_probe::k_tables) / sizeof(qtrt_probe::k_tables[0])};

}  // namespace qtrt
