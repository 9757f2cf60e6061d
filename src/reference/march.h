#pragma once

#include "math/vec3.h"
#include "reference/observer.h"
#include "render/march_constants.h"
#include "render/march_hit.h"
#include "scene/far_limit.h"

namespace rm::reference {

// The nearer admissible surface of one march pass, and its distance.
template <typename F>
struct PassChoiceOf {
    F distance;
    Material material;
};
using PassChoice = PassChoiceOf<float>;

template <typename F>
struct MarchHitOf {
    Material material;
    F distance;
};

// A field's value at p: fields that take the observer hear their terms under it.
template <typename Observer, typename Fields>
FloatOf<Observer> sculptureAt(Observer& observer, const Fields& fields, Vec3Of<Observer> p) {
    if constexpr (requires { fields.sculpture(observer, p); }) {
        return fields.sculpture(observer, p);
    } else {
        return fields.sculpture(p);
    }
}

template <typename Observer, typename Fields>
FloatOf<Observer> groundAt(Observer& observer, const Fields& fields, Vec3Of<Observer> p) {
    if constexpr (requires { fields.ground(observer, p); }) {
        return fields.ground(observer, p);
    } else {
        return fields.ground(p);
    }
}

// The nearer admissible surface at p: the sculpture if below the far limit, then the ground if
// strictly positive and nearer still; a tie goes to the sculpture.
template <typename Observer, typename Fields>
PassChoiceOf<FloatOf<Observer>> chooseSurface(Observer& observer, const Fields& fields,
                                              Vec3Of<Observer> p) {
    using F = FloatOf<Observer>;
    PassChoiceOf<F> choice = {F(kFarLimit), Material::None};
    const F s = observer.value("sculpture", sculptureAt(observer, fields, p));
    if (s < choice.distance) choice = {s, Material::Sculpture};
    const F g = observer.value("ground", groundAt(observer, fields, p));
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
MarchHitOf<FloatOf<Observer>> marchPasses(Observer& observer, const Fields& fields,
                                          Vec3Of<Observer> origin, Vec3Of<Observer> direction) {
    using F = FloatOf<Observer>;
    F t = 0.0f;
    for (int pass = 0; pass < kMarchMaxSteps; ++pass) {
        const ObservedScope<Observer> scope(observer, "pass", pass);
        const Vec3Of<Observer> p =
            observeVec3(observer, "point",
                        Vec3Of<Observer>{direction.x * t + origin.x, direction.y * t + origin.y,
                                         direction.z * t + origin.z});
        const PassChoiceOf<F> choice = chooseSurface(observer, fields, p);
        const F chosen = choice.distance;
        if (chosen < kHitThreshold) return {choice.material, t};
        // Step in 64 bits and round once.
        t = observer.value("t", narrow(widen(chosen) * kStepScale + widen(t)));
        if (t >= kFarLimit) break;
    }
    return {Material::None, F(kFarLimit)};
}

template <typename Observer, typename Fields>
MarchHitOf<FloatOf<Observer>> march(Observer& observer, const Fields& fields,
                                    Vec3Of<Observer> origin, Vec3Of<Observer> direction) {
    const MarchHitOf<FloatOf<Observer>> hit = marchPasses(observer, fields, origin, direction);
    const ObservedScope<Observer> scope(observer, "hit");
    observer.value("material", static_cast<int>(hit.material));
    return {hit.material, observer.value("distance", hit.distance)};
}

template <typename Fields>
MarchHit march(const Fields& fields, Vec3 origin, Vec3 direction) {
    NoObserver none;
    const MarchHitOf<float> hit = march(none, fields, origin, direction);
    return {hit.material, hit.distance};
}

}  // namespace rm::reference
