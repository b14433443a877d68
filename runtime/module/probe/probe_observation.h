// Test builds of the runtime only: what the probe routines report, so that a
// test sees what reached the runtime through the plug-in's call surface.
#pragma once

#include <cstdint>

namespace qtrt_probe {

// The component call probe (selector 0x10000) answers a MediaGetPublicInfo
// record by writing this into the record's info pointer.
struct component_call_seen {
    uint32_t instance;
    uint8_t flags;
    uint8_t param_size;
    int16_t what;
    uint32_t words[6];
};

// What the constant-string and data-symbol probes answer.
constexpr uintptr_t kConstantStringAnswer = 0x51D0F00D;
constexpr uintptr_t kDataSymbolContent = 0xA110CA7E;

// TrackTimeToMediaDisplayTime probe: value * 3 + track.
// GetMediaDecodeDuration probe: media << 32 | 0x7FFFFFFF.
// GetMediaNextInterestingDecodeTime probe: time + flags, duration = rate * 2.

}  // namespace qtrt_probe
