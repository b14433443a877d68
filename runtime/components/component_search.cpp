// FindNextComponent and CountComponents. The runtime's own components that
// QuickTime has from its start (the sound decompressors) are registered
// before the first search.
#include "audio/sound_decompressors.h"
#include "components/component_manager.h"

namespace qtrt {

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
    audio::register_sound_decompressors();
    if (looking == nullptr) return nullptr;
    return find_component(*looking, aComponent);
}

int32_t CountComponents(ComponentDescription* looking) {
    audio::register_sound_decompressors();
    if (looking == nullptr) return 0;
    int32_t count = 0;
    for (Component c = find_component(*looking); c != nullptr; c = find_component(*looking, c)) ++count;
    return count;
}

}  // namespace qtrt
