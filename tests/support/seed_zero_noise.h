#pragma once

#include "scene/scene_setup.h"

namespace rmtest {

// Readies the scene as the renderer does (rm::buildScene) on the plain kernels: the ground field
// and the sky read the published noise objects.
inline void publishSeedZeroNoise() { rm::buildScene(rm::SimdLevel::Scalar); }

}  // namespace rmtest
