// G.711 mu-law and A-law expansion to 16-bit linear samples (ITU-T G.711).
#pragma once

#include <cstdint>

namespace qtrt::audio {

int16_t expand_mu_law(uint8_t code);
int16_t expand_a_law(uint8_t code);

}  // namespace qtrt::audio
