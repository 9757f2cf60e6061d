#pragma once

#include "noise/perlin_noise.h"

namespace rm::reference {

// Improved gradient noise at a point, not rescaled; zero at every lattice point.
double noise(const PerlinNoise& table, double x, double y, double z);

// Sum of `octaves` noise samples at doubling frequency and halving amplitude.
double octaveNoise(const OctaveNoise& table, double x, double y, double z);

}  // namespace rm::reference
