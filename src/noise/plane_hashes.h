#pragma once

#include <stdint.h>

#include "noise/perlin_noise.h"

namespace rm {

// For the plane z = 0, the gradient choices of the four corners of every lattice cell (X, Y):
// the low four bits of each corner's hash (the only bits a gradient depends on), packed in one
// 16-bit entry, corner (X, Y) lowest, then (X + 1, Y), (X, Y + 1), (X + 1, Y + 1). The same
// values the gradient noise looks up through three table reads per corner, found with one small
// read. One spare entry at the end lets lanes read each entry as 32 bits.
struct PlaneHashes {
    uint16_t corners[256 * 256 + 1];
};

void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out);

}  // namespace rm
