#pragma once

#include "math/vec3.h"
#include "scene/ground.h"
#include "scene/sculpture.h"

namespace rm {

// The scene's two distance fields, as the march and the normal estimator take them.
struct SceneFields {
    float sculpture(Vec3 p) const { return sculptureDistance(p); }
    float ground(Vec3 p) const { return groundDistance(p); }
};

}  // namespace rm
