#include "audio/g711.h"

namespace qtrt::audio {

int16_t expand_mu_law(uint8_t code) {
    code = uint8_t(~code);
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude = ((mantissa << 3) + 0x84) << exponent;
    return int16_t((code & 0x80) ? 0x84 - magnitude : magnitude - 0x84);
}

int16_t expand_a_law(uint8_t code) {
    code ^= 0x55;
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    int magnitude = mantissa << 4;
    if (exponent == 0) magnitude += 8;
    else magnitude = (magnitude + 0x108) << (exponent - 1);
    return int16_t((code & 0x80) ? magnitude : -magnitude);
}

}  // namespace qtrt::audio
