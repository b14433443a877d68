// The JSON Lines events of --json: one object per line with a fixed set of
// keys, so that other programs can read an import.
#pragma once

#include <cstdint>
#include <string>

#include "lib/cm/CMComponent.h"

namespace ruv_import {

// {"event":"movie","duration":D,"size":N,"tracks":[...]}
std::string movie_event(const Ruv::CM::RMovieInfo& info);
// {"event":"stream","queue":Q,"kind":...,...,"parameters":[[NAME,HEX],...]}
std::string stream_event(unsigned queue, const Ruv::CM::RDescription& description);
// {"event":"frame","queue":Q,"number":N,...}
std::string frame_event(unsigned queue, const Ruv::CM::RFrame& frame);
// {"event":"end","status":{"code":C,"frames":F,"bytes":B},"bytes_read":R}, R
// the bytes the input stream delivered to the importer
std::string end_event(const Ruv::CM::CComponentStatus& status, int64_t bytes_read);
// {"event":"error","message":M}
std::string error_event(const std::string& message);
// {"event":"warning","message":M}: what the importer reported on the way
std::string warning_event(const std::string& message);

// The bytes as lower-case hexadecimal digits.
std::string hex_bytes(const unsigned char* data, size_t size);

}  // namespace ruv_import
