#pragma once

// The sculpture's lower bounds, by which a pass leaves capsules or the whole sculpture out:
//   the box around the segments (kSegmentBox), at frame points: sculptureNeededLanes;
//   the sphere around the box's world centre, before a point is turned into the frame:
//     worldPointBeyond for a single ray, sculptureBeyondWorldLanes for lanes;
//   each grid cell's nearest capsule (kSculptureCells.nearest), for a single ray inside the grid:
//     cellBeyond;
//   a single ray's bound carried from its last world test: clearBoundSlack, worldPointBeyondClear.
// The tables they read are all derived from the capsule list at compile time (sculpture.h).
#include <stdint.h>

#include "math/vec3.h"
#include "scene/far_limit.h"
#include "scene/sculpture.h"

namespace rm {

// A computed capsule distance lies within a few float roundings (and the tiny cosine of its
// turns) of the true distance to its segment, less 1: the bounds that skip capsules allow for
// that with a slack of (s + kSlackOffset) * kSlackScale at a point of size s, |x| + |y| + |z| of
// its offset, 1.2e-4 of the point's size and more, which covers it hundreds of times over.
constexpr float kSlackOffset = 64.0f;
constexpr float kSlackScale = 0x1p-13f;

// The lanes whose sculpture distance can matter: where a conservative lower bound of the field at
// the frame point q does not already rule it out against a counting ground g (strictly between 0
// and the far limit), or else against the far limit. The capsule segments lie in kSegmentBox and
// the tube has radius 1, so the field is at least the distance to the box less 1, give or take
// the slack; comparing squares saves a square root.
template <class V>
__attribute__((always_inline)) inline int sculptureNeededLanes(typename V::F qx, typename V::F qy,
                                                               typename V::F qz, typename V::F g) {
    using D = typename V::D;
    // |q - centre| along axis k, and how far beyond the box that lies.
    auto offset = [&](typename V::F q, int k) {
        return V::absD(V::subD(V::widen(q), V::setD(kSegmentBox.centre[k])));
    };
    auto beyond = [&](D a, int k) {
        const D half = V::setD(kSegmentBox.half[k]);
        return V::zeroUnlessD(V::gtD(a, half), V::subD(a, half));
    };
    const D ax = offset(qx, 0);
    const D ay = offset(qy, 1);
    const D az = offset(qz, 2);
    const D dx = beyond(ax, 0);
    const D dy = beyond(ay, 1);
    const D dz = beyond(az, 2);
    const D gd = V::widen(g);
    const D far = V::setD(kFarLimit);
    const D limit = V::selectD(V::andMD(V::gtD(gd, V::setD(0.0)), V::ltD(gd, far)), far, gd);
    const D reach = V::addD(V::addD(limit, V::setD(1.0)),
                            V::mulD(V::addD(V::addD(V::addD(ax, ay), az), V::setD(kSlackOffset)),
                                    V::setD(kSlackScale)));
    const D boxSquared = V::addD(V::addD(V::mulD(dx, dx), V::mulD(dy, dy)), V::mulD(dz, dz));
    return ~V::bitsD(V::gtD(boxSquared, V::mulD(reach, reach))) & ((1 << V::kWidth) - 1);
}

// Whether the sculpture lies beyond `limit` everywhere in grid cell `cell`: a single ray inside
// the grid then needs none of its capsules.
__attribute__((always_inline)) inline bool cellBeyond(int32_t cell, float limit) {
    return kSculptureCells.nearest[cell] > limit;
}

// The world point that the frame turns into the box's centre (1, -1, -4): the transposed turn of
// (1, -1, -4) less the frame's shift of (0, 0, -5).
constexpr float kWorldCentreX = kSculptureFrame.m[0] - kSculptureFrame.m[1] + kSculptureFrame.m[2];
constexpr float kWorldCentreY = kSculptureFrame.m[4] - kSculptureFrame.m[5] + kSculptureFrame.m[6];
constexpr float kWorldCentreZ = kSculptureFrame.m[8] - kSculptureFrame.m[9] + kSculptureFrame.m[10];
static_assert(kSculptureFrame.m[12] == 0.0f && kSculptureFrame.m[13] == 0.0f &&
              kSculptureFrame.m[14] == 0.0f);

// The constants of the world-point tests, taken as the ground's are (see GroundConstants).
struct WorldBoundConstants {
    float centre[3];
    float zero;
    float far;
    float margin;  // 13.5
    float scale;   // 1.001
};

inline constexpr WorldBoundConstants kWorldBoundConstants{
    {kWorldCentreX, kWorldCentreY, kWorldCentreZ}, 0.0f, kFarLimit, 13.5f, 1.001f};

// The world-point test, before a point is turned into the frame: a world point p beyond the reach
// of a limit (the counting ground, or else the far limit) from the world centre of the box lies so
// far from the sculpture that its field cannot matter, as sculptureNeededLanes tells. The frame
// turns without stretching (its rows are unit vectors to float precision), so a point at distance
// d from the world centre lies about d from the box's centre in the frame, and the field there is
// at least d - 6 * sqrt(3) - 1, more than 11.4 below d. The 13.5 and the thousandth of the reach
// cover that, the roundings of the turn and of the float field, and those of this test, many times
// over: a point whose distance is known to exceed the reach by other means may be ruled out too.
inline float worldReachOfLimit(float limit, const WorldBoundConstants& c = kWorldBoundConstants) {
    return (limit + c.margin) * c.scale;
}

// The reach of a ground g: of g where it counts, else of the far limit.
inline float worldReach(float g, const WorldBoundConstants& c = kWorldBoundConstants) {
    return worldReachOfLimit(g > c.zero && g < c.far ? g : c.far, c);
}

// Whether a single lane's p lies beyond `reach` from the world centre; where it does, `nearest`
// is set to its largest offset from the centre along an axis, which the distance is at least.
inline bool worldPointBeyond(float px, float py, float pz, float reach, float& nearest,
                             const WorldBoundConstants& c = kWorldBoundConstants) {
    const float dx = px - c.centre[0];
    const float dy = py - c.centre[1];
    const float dz = pz - c.centre[2];
    if (!((dx * dx + dy * dy) + dz * dz > reach * reach)) return false;
    const float ax = __builtin_fabsf(dx);
    const float ay = __builtin_fabsf(dy);
    const float az = __builtin_fabsf(dz);
    nearest = ax > ay ? (ax > az ? ax : az) : (ay > az ? ay : az);
    return true;
}

// The world-point test in every lane against a ground g, one bit per lane: several lanes rule a
// pass out with it before they turn their points into the frame and bound them there in double
// precision.
template <class V>
__attribute__((always_inline)) inline int sculptureBeyondWorldLanes(
    typename V::F px, typename V::F py, typename V::F pz, typename V::F g,
    const WorldBoundConstants& c = kWorldBoundConstants) {
    using F = typename V::F;
    const F dx = V::subF(px, V::setF(c.centre[0]));
    const F dy = V::subF(py, V::setF(c.centre[1]));
    const F dz = V::subF(pz, V::setF(c.centre[2]));
    const F far = V::setF(c.far);
    const F limit = V::selectF(V::andMF(V::gtF(g, V::setF(c.zero)), V::ltF(g, far)), far, g);
    const F reach = V::mulF(V::addF(limit, V::setF(c.margin)), V::setF(c.scale));
    const F squared = V::addF(V::addF(V::mulF(dx, dx), V::mulF(dy, dy)), V::mulF(dz, dz));
    return V::bitsF(V::gtF(squared, V::mulF(reach, reach)));
}

// A single lane's world-point test first takes the bound that its ray's last test ruling a pass
// out left: the point's largest offset from the world centre then, m at time t0, which its
// distance is at least, less the way the ray has come since, which by the triangle inequality
// leaves a lower bound of the distance at t. With |o| below kClearOrigin on every axis, |d|^2 at
// most kClearDirection and t below the far limit, the point's coordinates stay below 2^15 and are
// each formed to within 2^-8, the way since t0 is at most (t - t0) + 0.002, and m, its sum with
// t0 and the difference with t are each within 2^-8 of their exact values: 0.03 in all. So the
// distance at t exceeds (m + t0 - kClearSlack) - t, and a pass whose bound exceeds the reach is
// one the test itself would rule out.
constexpr float kClearOrigin = 0x1p14f;  // 16384
constexpr float kClearDirection = 1.000001f;
constexpr float kClearSlack = 0.125f;
static_assert(kFarLimit <= 4096.0f);

// The slack a ray from o along d takes off each bound it keeps: infinite, which keeps none, for a
// ray beyond the bounds that the slack allows for.
inline float clearBoundSlack(Vec3 o, Vec3 d) {
    const bool bounded = __builtin_fabsf(o.x) < kClearOrigin &&
                         __builtin_fabsf(o.y) < kClearOrigin &&
                         __builtin_fabsf(o.z) < kClearOrigin &&
                         (d.x * d.x + d.y * d.y) + d.z * d.z <= kClearDirection;
    return bounded ? kClearSlack : __builtin_inff();
}

// The world-point test of a single lane with a reach, at the point (p.px, p.py, p.pz) its ray
// reaches at time p.t: first from the bound `clear` its ray's last test left (the distance then
// exceeds clear - p.t), else from the point itself, which renews `clear` with the ray's slack
// taken off.
template <class Point>
__attribute__((always_inline)) inline bool worldPointBeyondClear(float& clear, const float& slack,
                                                                 const Point& p, float reach,
                                                                 const WorldBoundConstants& c) {
    if (clear - p.t > reach) return true;
    float nearest;
    if (!worldPointBeyond(p.px, p.py, p.pz, reach, nearest, c)) return false;
    clear = (nearest + p.t) - slack;
    return true;
}

}  // namespace rm
