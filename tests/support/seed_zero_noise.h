#pragma once

#include "render/kernel_table.h"
#include "scene/scene_setup.h"

namespace rmtest {

// Readies the scene as the renderer does (rm::buildScene) on the plain kernels: the ground field
// and the sky read the published noise objects.
inline void publishSeedZeroNoise() {
    rm::buildScene();
    rm::chooseKernels(rm::SimdLevel::Scalar);
}

}  // namespace rmtest
