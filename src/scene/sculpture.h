#pragma once

#include <stdint.h>

#include "math/float_bits.h"
#include "math/mat4.h"
#include "math/vec3.h"
#include "scene/quarter_turn.h"

namespace rm {

// One capsule of the sculpture: a segment of the given length with radius 1, turned a number of
// quarter turns about x or z around the pivot height 5.
struct Capsule {
    Vec3 position;
    int32_t turnsX;
    int32_t turnsZ;
    float length;
};

constexpr int kCapsuleCount = 18;

// Joined end to end in this order, the capsules form one closed tube.
inline constexpr Capsule kSculptureCapsules[kCapsuleCount] = {
    {{0.0f, 0.0f, 0.0f}, 0, 1, 10.0f},    {{-5.0f, 0.0f, 5.0f}, 1, 0, 10.0f},
    {{-1.0f, 0.0f, 10.0f}, 0, 1, 8.0f},   {{3.0f, 5.0f, 10.0f}, 0, 0, 10.0f},
    {{-2.0f, 10.0f, 10.0f}, 0, 1, 10.0f}, {{-7.0f, 6.0f, 10.0f}, 0, 0, 8.0f},
    {{-7.0f, 2.0f, 5.0f}, 1, 0, 10.0f},   {{-7.0f, 7.0f, 0.0f}, 0, 0, 10.0f},
    {{-7.0f, 12.0f, 4.0f}, 1, 0, 8.0f},   {{-2.0f, 12.0f, 8.0f}, 0, 1, 10.0f},
    {{3.0f, 12.0f, 3.0f}, 1, 0, 10.0f},   {{-1.0f, 12.0f, -2.0f}, 0, 1, 8.0f},
    {{-5.0f, 7.0f, -2.0f}, 0, 0, 10.0f},  {{0.0f, 2.0f, -2.0f}, 0, 1, 10.0f},
    {{5.0f, 6.0f, -2.0f}, 0, 0, 8.0f},    {{5.0f, 10.0f, 3.0f}, 1, 0, 10.0f},
    {{5.0f, 5.0f, 8.0f}, 0, 0, 10.0f},    {{5.0f, 0.0f, 4.0f}, 1, 0, 8.0f},
};

// Cosine and sine of a capsule's turns, narrowed to 32 bits: cA, sA about x, cB, sB about z.
struct CapsuleTurns {
    float cA;
    float sA;
    float cB;
    float sB;
};

constexpr CapsuleTurns capsuleTurns(const Capsule& c) {
    return {quarterTurnCosine(c.turnsX), quarterTurnSine(c.turnsX), quarterTurnCosine(c.turnsZ),
            quarterTurnSine(c.turnsZ)};
}

// A capsule's segment in the sculpture frame: it runs along one axis (0: x, a quarter turn about
// z; 1: y, no turn; 2: z, a quarter turn about x) through its centre, (-x, 5 - y, -z) of the
// capsule's position, reaching half its length to either side.
struct Segment {
    int axis;
    float centre[3];
    float half;
};

constexpr Segment capsuleSegment(const Capsule& c) {
    return {c.turnsZ != 0   ? 0
            : c.turnsX != 0 ? 2
                            : 1,
            {-c.position.x, 5.0f - c.position.y, -c.position.z},
            c.length * 0.5f};
}

// The box around every segment, from the capsule table: in the frame, its centre and its half
// extent along each axis.
struct SegmentBox {
    float centre[3];
    float half[3];
};

constexpr SegmentBox makeSegmentBox() {
    float low[3] = {1e30f, 1e30f, 1e30f};
    float high[3] = {-1e30f, -1e30f, -1e30f};
    for (const Capsule& c : kSculptureCapsules) {
        const Segment s = capsuleSegment(c);
        for (int k = 0; k < 3; ++k) {
            const float reach = k == s.axis ? s.half : 0.0f;
            low[k] = s.centre[k] - reach < low[k] ? s.centre[k] - reach : low[k];
            high[k] = s.centre[k] + reach > high[k] ? s.centre[k] + reach : high[k];
        }
    }
    SegmentBox box{};
    for (int k = 0; k < 3; ++k) {
        box.centre[k] = (low[k] + high[k]) * 0.5f;
        box.half[k] = (high[k] - low[k]) * 0.5f;
    }
    return box;
}

inline constexpr SegmentBox kSegmentBox = makeSegmentBox();

// A computed capsule distance lies within a few float roundings (and the tiny cosine of its
// turns) of the true distance to its segment, less 1: the bounds that skip capsules allow for
// that with a slack of (s + kSlackOffset) * kSlackScale at a point of size s, |x| + |y| + |z| of
// its offset, 1.2e-4 of the point's size and more, which covers it hundreds of times over.
constexpr float kSlackOffset = 64.0f;
constexpr float kSlackScale = 0x1p-13f;

constexpr float kSqrtHalf = floatFromBits(0x3f3504f3);  // 0.70710677
constexpr float kCos33 = floatFromBits(0x3f56b31d);     // 0.83867055
constexpr float kSin33 = floatFromBits(0x3f0b6d77);     // 0.54463905

// 45 degrees about y.
inline constexpr Mat4 kSculptureYaw = {{
    kSqrtHalf, 0.0f, -kSqrtHalf, 0.0f,  //
    0.0f, 1.0f, 0.0f, 0.0f,             //
    kSqrtHalf, 0.0f, kSqrtHalf, 0.0f,   //
    0.0f, 0.0f, 0.0f, 1.0f,             //
}};

// -33 degrees about x; the element in row 1, column 0 is a negative zero.
inline constexpr Mat4 kSculpturePitch = {{
    1.0f, -0.0f, 0.0f, 0.0f,      //
    0.0f, kCos33, -kSin33, 0.0f,  //
    0.0f, kSin33, kCos33, 0.0f,   //
    0.0f, 0.0f, 0.0f, 1.0f,       //
}};

// mat4Multiply(kSculptureYaw, kSculpturePitch): pitch first, then yaw. The two mixed products are
// -(kSqrtHalf * kSin33) and kSqrtHalf * kCos33 in 32 bits; every other sum has exact zero terms.
inline constexpr Mat4 kSculptureFrame = {{
    kSqrtHalf, 0.0f, -kSqrtHalf, 0.0f,                                   //
    floatFromBits(0xbec52e2e), kCos33, floatFromBits(0xbec52e2e), 0.0f,  // -0.38511795
    floatFromBits(0x3f17d0ca), kSin33, floatFromBits(0x3f17d0ca), 0.0f,  // 0.59302962
    0.0f, 0.0f, 0.0f, 1.0f,                                              //
}};

// Signed distance from a world point to the sculpture surface: never below -1, at most 4000.
float sculptureDistance(Vec3 p);

// The world point turned into the sculpture frame, where the capsule table lives.
Vec3 sculptureFramePoint(Vec3 p);

// sculptureDistance of the world point whose frame point is q, one capsule after the other in
// table order: the order the lanes keep for non-finite points. The kernels evaluate only the
// candidate capsules of the point's cell (scene/sculpture_lanes.h), or the nearest first
// (scene/sculpture_within.h), to the same bits.
float sculptureDistanceInFrameScalar(Vec3 q);

}  // namespace rm
