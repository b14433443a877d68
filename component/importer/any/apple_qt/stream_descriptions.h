// The descriptions the importer gives its exported queues: the stream's
// members and the named parameters a downstream decoder needs (image
// descriptions, H.264 set-up, decoder configuration, clean aperture, reel
// name).
#pragma once

#include "lib/cm/CMDescription.h"
#include "lib/ruv/RPtr.h"

namespace ns_movie_apple_qt {
class audio_track;
class video_track;
}  // namespace ns_movie_apple_qt

Ruv::RPtr<Ruv::CM::RVideoDescription> make_video_description(
    const ns_movie_apple_qt::video_track& reader);

Ruv::RPtr<Ruv::CM::RAudioDescription> make_audio_description(
    const ns_movie_apple_qt::audio_track& reader);
