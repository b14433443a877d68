// Sound decompressor components: one component of type 'sdec', manufacturer
// 'appl', for every data format this runtime decodes (the subtype), as
// QuickTime registers its sound decompressors. A client asks the Component
// Manager whether a track's format can be played.
#pragma once

namespace qtrt::audio {

// Registers them once; later calls do nothing.
void register_sound_decompressors();

}  // namespace qtrt::audio
