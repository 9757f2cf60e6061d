#pragma once

// A grid of cells around the sculpture, each with the capsules that can be the nearest to a point
// in it: the sculpture at a point there needs only those. Capsule i is left out of a cell when even
// its nearest approach to the cell lies further than the farthest approach of some other capsule,
// by a margin: then at every point of the cell capsule i is further than that other one. Each cell
// also has a lower bound of the sculpture in it, from the nearest approach of any capsule.
#include <stdint.h>

#include "scene/sculpture.h"

namespace rm {

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

// Built when the program is compiled (sculpture_cells.cpp).
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
