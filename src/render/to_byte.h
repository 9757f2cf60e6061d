#pragma once

#include <stdint.h>

namespace rm {

// The integer part of a scaled colour channel, truncated toward zero, modulo 256: no rounding and
// no clamping. Values with no defined integer part (NaN, below -2^31, from 2^32 up) give 0.
inline uint8_t toByte(float value) {
    if (!(value >= -2147483648.0f && value < 4294967296.0f)) return 0;
    // Every float in this range truncates exactly into 64 bits; the low byte is the same as that
    // of the 32-bit two's-complement or unsigned conversion.
    return static_cast<uint8_t>(static_cast<int64_t>(value) & 0xff);
}

}  // namespace rm
