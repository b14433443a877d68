// Test builds of the runtime only: what the probe routines report, so that a
// test sees what reached the runtime through the plug-in's call surface.
#pragma once

#include <cstdint>

namespace qtrt_probe {

// The component call probe (selector 0x10000) passes every record on to the
// Component Manager. A record for an instance the Component Manager does not
// know is the probe's: MediaGetPublicInfo writes, into its info pointer,
// component_call_seen, or registrations_seen when its info selector is
// kRegistrationsSelector; any other record is answered with its "what" code.
struct component_call_seen {
    uint32_t instance;
    uint8_t flags;
    uint8_t param_size;
    int16_t what;
    uint32_t words[6];
};

constexpr uint32_t kRegistrationsSelector = 0x72677374;  // 'rgst'

// The RegisterComponent probe (selector 0x10001) counts the calls and keeps
// the last one's arguments before registering the component.
struct registrations_seen {
    uint32_t count;
    uint32_t description[5];  // type, subtype, manufacturer, flags, mask
    int16_t global;
    bool has_entry;
};

// The SetMediaDataRef probe changes nothing and answers this
// (badDataRefIndex), so that a test sees how a caller takes the failure.
constexpr int16_t kSetMediaDataRefAnswer = -2050;

// What the constant-string and data-symbol probes answer.
constexpr uintptr_t kConstantStringAnswer = 0x51D0F00D;
constexpr uintptr_t kDataSymbolContent = 0xA110CA7E;

// TrackTimeToMediaDisplayTime probe: value * 3 + track.
// GetMediaDecodeDuration probe: media << 32 | 0x7FFFFFFF.
// GetMediaNextInterestingDecodeTime probe: time + flags, duration = rate * 2.

}  // namespace qtrt_probe
