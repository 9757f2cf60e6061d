#pragma once

#include <stdint.h>

#include "noise/perlin_noise.h"

namespace rm {

// For the plane z = 0, the hashes of the four corners of every lattice cell (X, Y), packed one
// byte each: corner (X, Y) in the low byte, then (X + 1, Y), (X, Y + 1), (X + 1, Y + 1). The same
// values noise() looks up through three table reads per corner, found with one read.
struct PlaneHashes {
    uint32_t corners[256 * 256];
};

void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out);

// noisePlane on the corner hashes of a table: the same bits.
double noisePlane(const PlaneHashes& hashes, double x, double y);

// octaveNoisePlane on the corner hashes of a table: the same bits.
double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y);

}  // namespace rm
