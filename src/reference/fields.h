#pragma once

#include <type_traits>

#include "math/vec3.h"
#include "noise/perlin_noise.h"
#include "reference/mat4_multiply.h"
#include "reference/noise.h"
#include "reference/observer.h"
#include "scene/far_limit.h"
#include "scene/ground.h"
#include "scene/scene_noise.h"
#include "scene/sculpture.h"

namespace rm::reference {

// The sculpture's frame, mat4Multiply(kSculptureYaw, kSculpturePitch), formed once for a pixel.
// An observer hears it under sculpture.frame.
template <typename Observer>
struct SceneOf {
    FloatOf<Observer> frame[16];
};

template <typename Observer>
SceneOf<Observer> formScene(Observer& observer) {
    const ObservedScope<Observer> scope(observer, "sculpture.frame");
    SceneOf<Observer> scene;
    mat4Multiply(observer, kSculptureYaw, kSculpturePitch, scene.frame);
    return scene;
}

// One capsule's distance at the frame point q. An observer hears the offset from the capsule
// (offset.*), the point turned about x (y1, z1), the parameter along the segment (t) and the
// distance across it (x2), the parameter clamped to the segment (clamped) and what lies beyond
// it (e), the squared length of the offset from the segment (squared), its square root (root)
// and the distance (distance).
template <typename Observer>
FloatOf<Observer> capsuleDistance(Observer& observer, const Capsule& capsule, Vec3Of<Observer> q) {
    using F = FloatOf<Observer>;
    const CapsuleTurns turns = capsuleTurns(capsule);
    const F ux = observer.value("offset.x", q.x + capsule.position.x);
    const F uy = observer.value("offset.y", q.y + capsule.position.y);
    const F uz = observer.value("offset.z", q.z + capsule.position.z);

    // Turn about x around the pivot height 5, then about z; t runs along the segment from one
    // end, x2 and z1 across it.
    const F y1 = observer.value("y1", (uy - 5.0f) * turns.cA + uz * turns.sA);
    const F z1 = observer.value("z1", (5.0f - uy) * turns.sA + uz * turns.cA);
    const F t = observer.value("t", (capsule.length * 0.5f - ux * turns.sB) + y1 * turns.cB);
    const F x2 = observer.value("x2", y1 * turns.sB + ux * turns.cB);

    // Clamp to the segment; a NaN t fails the first test and becomes 0.
    F c = t;
    if (!(0.0f <= c)) c = 0.0f;
    if (!(c <= capsule.length)) c = capsule.length;
    c = observer.chosen("clamped", c, t, F(capsule.length));
    const F e = observer.value("e", t - c);
    const F squared = observer.value("squared", (z1 * z1 + x2 * x2) + e * e);
    const F root = observer.value("root", sqrtF(squared));
    return observer.value("distance", root - 1.0f);
}

// The sculpture at a world point: the point turned into the frame, then every capsule in table
// order, the least distance kept (a NaN replaces it). An observer hears the frame point
// (point.*), the index of the capsule whose distance is kept (nearest, -1 for none) and that
// capsule's terms (capsule<i>.*); with everyCapsule, every capsule's terms and the least so far
// (capsule<i>.least).
template <typename Observer>
FloatOf<Observer> sculptureDistance(Observer& observer, const SceneOf<Observer>& scene,
                                    Vec3Of<Observer> p) {
    using F = FloatOf<Observer>;
    const ObservedScope<Observer> scope(observer, "sculpture");
    const F* r = scene.frame;
    // The translation is added third, and in z the frame's shift of 5 is taken off the
    // translation before anything else.
    const Vec3Of<Observer> q = {
        observer.value("point.x", ((p.x * r[0] + p.y * r[4]) + r[12]) + p.z * r[8]),
        observer.value("point.y", ((p.x * r[1] + p.y * r[5]) + r[13]) + p.z * r[9]),
        observer.value("point.z", (((r[14] - 5.0f) + p.x * r[2]) + p.y * r[6]) + p.z * r[10])};
    F m = kFarLimit;
    int nearest = -1;
    if (std::is_same_v<Observer, NoObserver> || observer.everyCapsule()) {
        for (int i = 0; i < kCapsuleCount; ++i) {
            const ObservedScope<Observer> capsule(observer, "capsule", i);
            const F dist = capsuleDistance(observer, kSculptureCapsules[i], q);
            const F before = m;
            if (!(m <= dist)) {
                m = dist;
                nearest = i;
            }
            m = observer.chosen("least", m, before, dist);
        }
        observer.value("nearest", nearest);
        return m;
    }
    // Only the capsule whose distance is kept is followed: the others are found as the plain
    // evaluation finds them.
    NoObserver none;
    float least = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const float dist = capsuleDistance(none, kSculptureCapsules[i], plainVec3(q));
        if (!(least <= dist)) {
            least = dist;
            nearest = i;
        }
    }
    observer.value("nearest", nearest);
    if (nearest < 0) return m;
    const ObservedScope<Observer> capsule(observer, "capsule", nearest);
    return capsuleDistance(observer, kSculptureCapsules[nearest], q);
}

// Height of a world point above the terrain, measured along y: three samples of the gradient
// noise of the table in the plane z = 0. An observer hears the turned plane's coordinates (a,
// turned.x, turned.z), each sample's noise terms (sample<k>.*, see noise) or, without them, its
// value (sample<k>), the height after each sample is added (height<k>) and the distance.
template <typename Observer>
FloatOf<Observer> groundDistance(Observer& observer, const PerlinNoise& table, Vec3Of<Observer> p) {
    using F = FloatOf<Observer>;
    using D = DoubleOf<Observer>;
    // The sample plane turned by a quarter turn: Z' feeds the noise's x, X' its y.
    const F a = observer.value("a", p.z - 15.0f);
    const F turnedX = observer.value("turned.x", a * kGroundTurnCosine - p.x);
    const F turnedZ = observer.value("turned.z", p.x * kGroundTurnCosine + a);
    D n[3];
    for (int k = 0; k < 3; ++k) {
        const F s = kGroundNoiseScales[k];
        if (observer.noiseTerms()) {
            const ObservedScope<Observer> scope(observer, "sample", k);
            n[k] = noise(observer, table, widen(turnedZ * s), widen(turnedX * s), D(0.0));
        } else {
            n[k] =
                observer.value("sample", k,
                               observer.untraced(D(noise(table, double{plain(turnedZ) * plain(s)},
                                                         double{plain(turnedX) * plain(s)}, 0.0)),
                                                 turnedZ, turnedX));
        }
    }
    // Narrowing after every term is deliberate: one 64-bit sum of all three would differ in the
    // last bits.
    F h =
        observer.value("height", 0, narrow(widen(p.y + 14.0f) + n[0] * kGroundNoiseAmplitudes[0]));
    h = observer.value("height", 1, narrow(widen(h) + n[1] * kGroundNoiseAmplitudes[1]));
    h = observer.value("height", 2, narrow(widen(h) + n[2] * kGroundNoiseAmplitudes[2]));
    return observer.value("distance", h + 1.0f);
}

// The scene's two fields as the march and the normal estimator take them, on the process-wide
// ground noise, with an observer (which hears them under "sculpture" and "ground") and without.
template <typename Observer>
struct ObservedFields {
    SceneOf<Observer> scene;
    FloatOf<Observer> sculpture(Observer& observer, Vec3Of<Observer> p) const {
        return sculptureDistance(observer, scene, p);
    }
    FloatOf<Observer> ground(Observer& observer, Vec3Of<Observer> p) const {
        const ObservedScope<Observer> scope(observer, "ground");
        return groundDistance(observer, kGroundNoise, p);
    }
};

float sculptureDistance(Vec3 p);
float groundDistance(const PerlinNoise& table, Vec3 p);

struct SceneFields {
    float sculpture(Vec3 p) const;
    float ground(Vec3 p) const;
};

}  // namespace rm::reference
