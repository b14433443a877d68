// The runtime's media handler components ('mhlr' of the media types it knows)
// and what each media type offers: its characteristics and its public info.
#pragma once

#include "quicktime/movies.h"

namespace qtrt {

class media_object;

// Component call selectors ("what") the media handlers answer.
enum : int16_t {
    kMediaHasCharacteristicSelect = 0x51A,
    kMediaGetPublicInfoSelect = 0x565,
    kTCGetCurrentTimeCodeSelect = 0x101,
};

// True when media of this handler type has the characteristic ('eyes',
// 'ears', 'vfrr', ...).
bool media_type_has_characteristic(OSType media_type, OSType characteristic);

// Opens the media handler component of the media's type with the media as its
// storage; null (and cantFindHandler in `error`) for a type without handler.
MediaHandler open_media_handler(media_object& media, OSErr& error);

}  // namespace qtrt
