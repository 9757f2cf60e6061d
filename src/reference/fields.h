#pragma once

#include "math/vec3.h"
#include "noise/perlin_noise.h"

namespace rm::reference {

// The sculpture at a world point: the frame formed by the matrix product, then every capsule in
// table order, one after the other.
float sculptureDistance(Vec3 p);

// Height of a world point above the terrain, measured along y: three samples of the gradient
// noise of the table in the plane z = 0.
float groundDistance(const PerlinNoise& table, Vec3 p);

// The scene's two fields as the march and the normal estimator take them, on the process-wide
// ground noise.
struct SceneFields {
    float sculpture(Vec3 p) const;
    float ground(Vec3 p) const;
};

}  // namespace rm::reference
