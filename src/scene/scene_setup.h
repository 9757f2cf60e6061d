#pragma once

namespace rm {

// Readies the scene for rendering, the one way every program does it: builds the two noise
// objects (seed 0; eight octaves for the sky) on the first call and publishes them for the ground
// field and the sky. The kernels are chosen apart (chooseKernels in render/kernel_table.h).
void buildScene();

}  // namespace rm
