// The data formats the importer publishes: for a video track the mapping of
// the stored codec type, the H.264 profile rule, the DNxHD variant code and
// the field mode a codec implies when the track does not give one; for an
// audio track the name of its extracted sample format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quicktime/mac_types.h"

namespace ns_movie_apple_qt {

// Every codec type the mapping does not know: the characters _qt_.
constexpr uint32_t kFormatQuickTime = qt_fourcc("_qt_");
// H.264 in a High 10, High 4:2:2 or High 4:4:4 profile: 21h4.
constexpr uint32_t kFormatH264High = qt_fourcc("21h4");
constexpr uint32_t kFormatH264 = qt_fourcc("h264");
constexpr uint32_t kCodecAvc1 = qt_fourcc("avc1");
constexpr uint32_t kFormatDnxhd = qt_fourcc("AVdn");

// The published format of a stored codec type; depth matters only for
// 'raw '. Unknown types give _qt_.
uint32_t map_video_codec(uint32_t codec, int depth);

// True for the codec types whose descriptions carry an 'avcC' record.
bool is_avc_codec(uint32_t codec);

// The format after the profile rule: profiles 110, 122 and 144 turn an AVC
// format into 21h4.
uint32_t apply_avc_profile(uint32_t format, bool has_profile, uint8_t profile);

// The DNxHD variant code ('dn10', 'dn8s', 'dn8h', 'dn8l') from the 'ARES'
// extension of a description, or 0.
uint32_t dnxhd_variant(const uint8_t* description, size_t size);

// The published format of an audio reader's format code: the extracted
// big-endian floats, 'fl32', are published as 'f32b'; other codes as they are.
uint32_t map_audio_format(uint32_t format);

// The field mode a codec implies: 2 for DV, 1 or 3 for the XDCAM and IMX
// families, else 0.
unsigned default_field_mode(uint32_t codec);

}  // namespace ns_movie_apple_qt
