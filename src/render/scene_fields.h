#pragma once

#include "math/vec3.h"
#include "render/march_hit.h"
#include "render/pass_choice.h"
#include "scene/far_limit.h"
#include "scene/ground.h"
#include "scene/sculpture.h"
#include "scene/sculpture_bound.h"

namespace rm {

// The scene's two distance fields, as the march and the normal estimator take them.
struct SceneFields {
    float sculpture(Vec3 p) const { return sculptureDistance(p); }
    float ground(Vec3 p) const { return groundDistance(p); }
    void groundMany(const Vec3* points, int count, float* out) const {
        groundDistanceMany(points, count, out);
    }

    // One march pass: the same choice as evaluating both fields, but the sculpture is evaluated
    // only when its lower bound does not already rule it out (it cannot beat the ground, or it
    // is certain to be at the far limit).
    PassChoice choose(Vec3 p) const {
        const float g = groundDistance(p);
        const bool groundCounts = g > 0.0f && g < kFarLimit;
        const Vec3 q = sculptureFramePoint(p);
        PassChoice choice = {kFarLimit, Material::None};
        if (!sculptureBeyond(q, groundCounts ? double{g} : double{kFarLimit})) {
            const float s = sculptureDistanceInFrame(q);
            if (s < choice.distance) choice = {s, Material::Sculpture};
        }
        if (g > 0.0f && g < choice.distance) choice = {g, Material::Ground};
        return choice;
    }
};

}  // namespace rm
