#pragma once

#include "simd/simd_level.h"

namespace rm {

// Readies the scene for rendering, the one way every program does it: builds the two noise
// objects (seed 0; eight octaves for the sky) on the first call, publishes them for the ground
// field and the sky, and chooses the kernels of `level`. False when this build or the processor
// lacks the level: the noise is published all the same, and the kernels chosen before (the plain
// ones at start) stay.
bool buildScene(SimdLevel level);

}  // namespace rm
