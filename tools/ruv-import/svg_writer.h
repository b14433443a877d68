// The picture of an import as an SVG document: lanes on one axis of movie
// time, each element classed ("lane", "edit", "empty-edit", "frame key",
// "frame other", "frame decode-only", "decode-order", "envelope", "silence",
// "duration", "header-duration", "stopped", "warning", "timecode", "reel",
// "status", "legend") so that programs can read it back.
#pragma once

#include <string>

#include "picture.h"

namespace ruv_import {

std::string picture_svg(const picture_data& data);

// The text with the characters XML reserves written as references, and
// control characters and bytes that are not well-formed UTF-8 as '?'.
std::string xml_text(const std::string& text);

}  // namespace ruv_import
