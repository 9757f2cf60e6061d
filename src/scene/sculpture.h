#pragma once

// The sculpture: its capsule list and everything the compiler derives from it.
//   Capsule, kSculptureCapsules        the list: 18 capsules joined into one closed tube
//   capsuleTurns, capsuleSegment       a capsule's turns, and its segment in the sculpture frame
//   kCapsuleTable                      the capsules' terms side by side, for the plain formula
//   kAxisSegments                      the segments grouped by the axis they run along
//   kSegmentBox                        the box around every segment
//   kSculptureYaw, kSculpturePitch,    the turn from the world into the frame, and a world point
//     kSculptureFrame, sculptureFramePointLanes   turned by it, one per lane
//   kCellsLow ... kSculptureCells      the grid of cells around the box: each cell's candidate
//     sculptureCellLanes               capsules and lower bound (built in sculpture.cpp), and the
//                                      cell of a frame point
// The bounds that read these are in sculpture_bound.h, the evaluations in sculpture_distance.h.
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

// The capsules' terms side by side, in table order.
struct CapsuleTable {
    alignas(64) float x[kCapsuleCount];
    alignas(64) float y[kCapsuleCount];
    alignas(64) float z[kCapsuleCount];
    alignas(64) float cA[kCapsuleCount];
    alignas(64) float sA[kCapsuleCount];
    alignas(64) float cB[kCapsuleCount];
    alignas(64) float sB[kCapsuleCount];
    alignas(64) float halfLength[kCapsuleCount];
    alignas(64) float length[kCapsuleCount];
};

constexpr CapsuleTable makeCapsuleTable() {
    CapsuleTable table{};
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Capsule& c = kSculptureCapsules[i];
        const CapsuleTurns turns = capsuleTurns(c);
        table.x[i] = c.position.x;
        table.y[i] = c.position.y;
        table.z[i] = c.position.z;
        table.cA[i] = turns.cA;
        table.sA[i] = turns.sA;
        table.cB[i] = turns.cB;
        table.sB[i] = turns.sB;
        table.halfLength[i] = c.length * 0.5f;
        table.length[i] = c.length;
    }
    return table;
}

inline constexpr CapsuleTable kCapsuleTable = makeCapsuleTable();

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

// The segments that run along one axis: for each, its capsule, and its centre in the frame,
// (-x, 5 - y, -z) of its position, split into the coordinate along the axis and the two across.
struct AxisSegments {
    int count;
    int capsule[kCapsuleCount];
    float along[kCapsuleCount];
    float across1[kCapsuleCount];
    float across2[kCapsuleCount];
    float half[kCapsuleCount];
};

struct AxisSegmentTable {
    AxisSegments axes[3];
};

constexpr AxisSegmentTable makeAxisSegments() {
    AxisSegmentTable table{};
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Segment segment = capsuleSegment(kSculptureCapsules[i]);
        const int axis = segment.axis;
        const float* centre = segment.centre;
        AxisSegments& s = table.axes[axis];
        s.capsule[s.count] = i;
        s.along[s.count] = centre[axis];
        s.across1[s.count] = centre[axis == 0 ? 1 : 0];
        s.across2[s.count] = centre[axis == 2 ? 1 : 2];
        s.half[s.count] = segment.half;
        ++s.count;
    }
    return table;
}

inline constexpr AxisSegmentTable kAxisSegments = makeAxisSegments();

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

// A world point turned into the frame, one point per lane.
template <class V>
struct FramePointLanes {
    typename V::F x;
    typename V::F y;
    typename V::F z;
};

template <class V>
__attribute__((always_inline)) inline FramePointLanes<V> sculptureFramePointLanes(
    typename V::F px, typename V::F py, typename V::F pz) {
    const float* r = kSculptureFrame.m;
    // The translation is added third, and in z the frame's shift of 5 is taken off the
    // translation before anything else.
    return {V::addF(V::addF(V::addF(V::mulF(px, V::setF(r[0])), V::mulF(py, V::setF(r[4]))),
                            V::setF(r[12])),
                    V::mulF(pz, V::setF(r[8]))),
            V::addF(V::addF(V::addF(V::mulF(px, V::setF(r[1])), V::mulF(py, V::setF(r[5]))),
                            V::setF(r[13])),
                    V::mulF(pz, V::setF(r[9]))),
            V::addF(V::addF(V::addF(V::setF(r[14] - 5.0f), V::mulF(px, V::setF(r[2]))),
                            V::mulF(py, V::setF(r[6]))),
                    V::mulF(pz, V::setF(r[10])))};
}

// A grid of cells around the sculpture, each with the capsules that can be the nearest to a point
// in it: the sculpture at a point there needs only those. Capsule i is left out of a cell when even
// its nearest approach to the cell lies further than the farthest approach of some other capsule,
// by a margin: then at every point of the cell capsule i is further than that other one. Each cell
// also has a lower bound of the sculpture in it, from the nearest approach of any capsule.
constexpr int kCellBits = 5;
constexpr int kCellsPerAxis = 1 << kCellBits;
constexpr float kCellSize = 2.0f;  // a power of two: the cell of a point is found without rounding
constexpr float kCellInverse = 0.5f;
// The grid reaches kCellsReach beyond the box of the segments on every side: a march needs the
// sculpture up to the ground's distance beyond it, where the capsules of a cell are still few.
constexpr float kCellsReach = 26.0f;
constexpr float kCellsLow[3] = {kSegmentBox.centre[0] - kSegmentBox.half[0] - kCellsReach,
                                kSegmentBox.centre[1] - kSegmentBox.half[1] - kCellsReach,
                                kSegmentBox.centre[2] - kSegmentBox.half[2] - kCellsReach};
static_assert(kCellsLow[0] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[0] + kSegmentBox.half[0] + kCellsReach &&
                  kCellsLow[1] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[1] + kSegmentBox.half[1] + kCellsReach &&
                  kCellsLow[2] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[2] + kSegmentBox.half[2] + kCellsReach,
              "the grid covers the box and kCellsReach beyond");

constexpr int kCellCount = kCellsPerAxis * kCellsPerAxis * kCellsPerAxis;

struct SculptureCells {
    uint32_t candidates[kCellCount];
    float nearest[kCellCount];  // the sculpture is no nearer anywhere in the cell
};

// Built when the program is compiled (sculpture.cpp).
extern const SculptureCells kSculptureCells;
constexpr uint32_t kAllCapsules = (1u << kCapsuleCount) - 1;

// The cell of each lane's frame point, and the lanes whose point lies outside the grid (or is not
// finite), where every capsule is a candidate.
template <class V>
struct SculptureCellLanes {
    typename V::I index;
    int outside;
};

template <class V>
__attribute__((always_inline)) inline SculptureCellLanes<V> sculptureCellLanes(typename V::F x,
                                                                               typename V::F y,
                                                                               typename V::F z) {
    using I = typename V::I;
    // Shifted by a whole grid so that truncation is the floor inside it and a little beyond.
    auto axis = [&](typename V::F v, int k) {
        const typename V::F shifted =
            V::addF(V::mulF(V::subF(v, V::setF(kCellsLow[k])), V::setF(kCellInverse)),
                    V::setF(static_cast<float>(kCellsPerAxis)));
        return V::addI(V::truncateF(shifted), V::setI(-kCellsPerAxis));
    };
    const I ix = axis(x, 0);
    const I iy = axis(y, 1);
    const I iz = axis(z, 2);
    const I all = V::orI(V::orI(ix, iy), iz);
    const int inside = V::equalBitsI(V::andI(all, V::setI(-kCellsPerAxis)), V::setI(0));
    return {V::orI(V::orI(V::shiftLeftI(ix, 2 * kCellBits), V::shiftLeftI(iy, kCellBits)), iz),
            ~inside & ((1 << V::kWidth) - 1)};
}

}  // namespace rm
