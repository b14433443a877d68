// The descriptions the importer gives its exported queues: the stream's
// members and the named parameters a downstream decoder needs (image
// descriptions, H.264 set-up, decoder configuration, clean aperture, reel
// name).
#pragma once

#include "lib/cm/CMDescription.h"
#include "lib/ruv/RPtr.h"

namespace ns_movie_apple_qt {
class track;
}  // namespace ns_movie_apple_qt

// The description of a video or an audio reader, by the reader's kind.
Ruv::RPtr<const Ruv::CM::RDescription> make_description(ns_movie_apple_qt::track& reader);
