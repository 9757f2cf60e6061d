#pragma once

#include "math/vec3.h"
#include "reference/observer.h"
#include "render/march_constants.h"
#include "render/march_hit.h"
#include "scene/far_limit.h"

namespace rm::reference {

// The nearer admissible surface of one march pass, and its distance.
struct PassChoice {
    float distance;
    Material material;
};

// The nearer admissible surface at p: the sculpture if below the far limit, then the ground if
// strictly positive and nearer still; a tie goes to the sculpture. Fields whose ground takes an
// observer give it the terms of the ground when the observer asks for the noise's terms.
template <typename Observer, typename Fields>
PassChoice chooseSurface(Observer& observer, const Fields& fields, Vec3 p) {
    PassChoice choice = {kFarLimit, Material::None};
    const float s = fields.sculpture(p);
    observer.value("sculpture", s);
    if (s < choice.distance) choice = {s, Material::Sculpture};
    float g;
    if constexpr (requires { fields.ground(observer, p); }) {
        g = observer.noiseTerms() ? fields.ground(observer, p) : fields.ground(p);
    } else {
        g = fields.ground(p);
    }
    observer.value("ground", g);
    if (g > 0.0f && g < choice.distance) choice = {g, Material::Ground};
    observer.value("choice", static_cast<int>(choice.material));
    return choice;
}

template <typename Fields>
PassChoice chooseSurface(const Fields& fields, Vec3 p) {
    NoObserver none;
    return chooseSurface(none, fields, p);
}

// Sphere-traces a ray through two distance fields, `fields.sculpture(p)` and `fields.ground(p)`,
// advancing by half the chosen distance in each pass.
template <typename Observer, typename Fields>
MarchHit marchPasses(Observer& observer, const Fields& fields, Vec3 origin, Vec3 direction) {
    float t = 0.0f;
    for (int pass = 0; pass < kMarchMaxSteps; ++pass) {
        const ObservedScope<Observer> scope(observer, "pass", pass);
        const Vec3 p = {direction.x * t + origin.x, direction.y * t + origin.y,
                        direction.z * t + origin.z};
        observeVec3(observer, "point", p);
        const PassChoice choice = chooseSurface(observer, fields, p);
        const float chosen = choice.distance;
        if (chosen < kHitThreshold) return {choice.material, t};
        // Step in 64 bits and round once.
        t = static_cast<float>(double{chosen} * kStepScale + double{t});
        observer.value("t", t);
        if (t >= kFarLimit) break;
    }
    return {Material::None, kFarLimit};
}

template <typename Observer, typename Fields>
MarchHit march(Observer& observer, const Fields& fields, Vec3 origin, Vec3 direction) {
    const MarchHit hit = marchPasses(observer, fields, origin, direction);
    const ObservedScope<Observer> scope(observer, "hit");
    observer.value("material", static_cast<int>(hit.material));
    observer.value("distance", hit.distance);
    return hit;
}

template <typename Fields>
MarchHit march(const Fields& fields, Vec3 origin, Vec3 direction) {
    NoObserver none;
    return march(none, fields, origin, direction);
}

}  // namespace rm::reference
