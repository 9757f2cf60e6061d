#pragma once

#include <stdint.h>

#include "noise/perlin_noise.h"

namespace rm {

// A corner gradient in the plane z = 0, from the low four bits h of the corner's hash (the only
// bits it depends on), as four bits that each make one choice: bit 3 set, u is the offset y, else
// x; bit 2 set, v is the other offset, else +0 (the z term); bits 0 and 1 negate u and v. This is
// h with bit 2 replaced: of the hash tests, v is y where bits 2 and 3 are clear and x where
// h & 13 is 12, and z otherwise.
constexpr uint32_t planeGradientCode(uint32_t h) {
    const bool vIsOther = (h & 12) == 0 || (h & 13) == 12;
    return (h & ~4u) | (vIsOther ? 4u : 0u);
}

// For the plane z = 0, the gradient codes of the four corners of every lattice cell (X, Y),
// packed in one 16-bit entry, corner (X, Y) lowest, then (X + 1, Y), (X, Y + 1), (X + 1, Y + 1).
// The same gradients the noise finds through three table reads per corner, found with one small
// read. One spare entry at the end lets lanes read each entry as 32 bits.
struct PlaneHashes {
    uint16_t corners[256 * 256 + 1];
};

void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out);

}  // namespace rm
