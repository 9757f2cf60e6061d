#pragma once

#include "math/vec3.h"
#include "noise/perlin_noise.h"

namespace rm {

// Height of a world point above the terrain, measured along y, on the given noise table.
float groundDistance(const PerlinNoise& table, Vec3 p);

// The same on the process-wide groundNoise.
float groundDistance(Vec3 p);

// groundDistance(points[i]) into out[i] for `count` points, in vector lanes where there are some.
void groundDistanceMany(const Vec3* points, int count, float* out);

}  // namespace rm
