#pragma once

#include "math/vec3.h"
#include "noise/noise_objects.h"
#include "noise/perlin_noise.h"
#include "reference/noise.h"
#include "reference/observer.h"
#include "scene/ground_terms.h"

namespace rm::reference {

// The sculpture at a world point: the frame formed by the matrix product, then every capsule in
// table order, one after the other.
float sculptureDistance(Vec3 p);

// Height of a world point above the terrain, measured along y: three samples of the gradient
// noise of the table in the plane z = 0. An observer hears the turned plane's coordinates (a,
// turned.x, turned.z), each sample's noise terms (sample<k>.*, see noise), the height after each
// sample is added (height<k>) and the distance (the last, under the scope's own name).
template <typename Observer>
float groundDistance(Observer& observer, const PerlinNoise& table, Vec3 p) {
    // The sample plane turned by a quarter turn: Z' feeds the noise's x, X' its y.
    const float a = p.z - 15.0f;
    const float turnedX = a * kGroundTurnCosine - p.x;
    const float turnedZ = p.x * kGroundTurnCosine + a;
    observer.value("a", a);
    observer.value("turned.x", turnedX);
    observer.value("turned.z", turnedZ);
    double n[3];
    for (int k = 0; k < 3; ++k) {
        const ObservedScope<Observer> scope(observer, "sample", k);
        const float s = kGroundNoiseScales[k];
        n[k] = noise(observer, table, double{turnedZ * s}, double{turnedX * s}, 0.0);
    }
    // Narrowing after every term is deliberate: one 64-bit sum of all three would differ in the
    // last bits.
    float h = static_cast<float>(double{p.y + 14.0f} + n[0] * kGroundNoiseAmplitudes[0]);
    observer.value("height", 0, h);
    h = static_cast<float>(double{h} + n[1] * kGroundNoiseAmplitudes[1]);
    observer.value("height", 1, h);
    h = static_cast<float>(double{h} + n[2] * kGroundNoiseAmplitudes[2]);
    observer.value("height", 2, h);
    return h + 1.0f;
}

float groundDistance(const PerlinNoise& table, Vec3 p);

// The scene's two fields as the march and the normal estimator take them, on the process-wide
// ground noise. The ground also takes an observer, which hears its terms under "ground".
struct SceneFields {
    float sculpture(Vec3 p) const;
    float ground(Vec3 p) const;
    template <typename Observer>
    float ground(Observer& observer, Vec3 p) const {
        const ObservedScope<Observer> scope(observer, "ground");
        return groundDistance(observer, *groundNoise, p);
    }
};

}  // namespace rm::reference
