#pragma once

// A grid of cells around the sculpture, each with the capsules that can be the nearest to a point
// in it: the sculpture at a point there needs only those. Capsule i is left out of a cell when even
// its nearest approach to the cell lies further than the farthest approach of some other capsule,
// by a margin: then at every point of the cell capsule i is further than that other one.
#include <stdint.h>

#include "scene/sculpture.h"

namespace rm {

constexpr int kCellsPerAxis = 16;
constexpr float kCellSize = 2.0f;  // a power of two: the cell of a point is found without rounding
constexpr float kCellInverse = 0.5f;
// The grid reaches 10 beyond the box of the segments on every side.
constexpr float kCellsLow[3] = {kSegmentBox.centre[0] - kSegmentBox.half[0] - 10.0f,
                                kSegmentBox.centre[1] - kSegmentBox.half[1] - 10.0f,
                                kSegmentBox.centre[2] - kSegmentBox.half[2] - 10.0f};
static_assert(kCellsLow[0] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[0] + kSegmentBox.half[0] + 10.0f &&
                  kCellsLow[1] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[1] + kSegmentBox.half[1] + 10.0f &&
                  kCellsLow[2] + kCellsPerAxis * kCellSize >=
                      kSegmentBox.centre[2] + kSegmentBox.half[2] + 10.0f,
              "the grid covers the box and 10 beyond");

struct SculptureCells {
    uint32_t candidates[kCellsPerAxis * kCellsPerAxis * kCellsPerAxis];
};

namespace cells {

// The squared distance from p to the interval [low, high], along one axis.
constexpr double axisGapSquared(double p, double low, double high) {
    const double gap = p < low ? low - p : p > high ? p - high : 0.0;
    return gap * gap;
}

// Newton's iteration from above; only the bounds of the table depend on it, with a wide margin.
constexpr double squareRoot(double v) {
    double r = v > 1.0 ? v : 1.0;
    for (int i = 0; i < 64; ++i)
        r = 0.5 * (r + v / r);
    return r;
}

// The cells of one slab (x index fixed): built one slab per constant, to keep each constant
// evaluation small.
struct Slab {
    uint32_t candidates[kCellsPerAxis * kCellsPerAxis];
};

constexpr Slab makeSlab(int ix) {
    // A computed capsule distance is within 1e-5 of the true distance to its segment, less 1, in
    // the grid; a point's cell is found to within 1e-5. The margins cover both a hundred times.
    constexpr double kGrow = 1e-3;
    constexpr double kMargin = 1e-3;
    double low[kCapsuleCount][3] = {};
    double high[kCapsuleCount][3] = {};
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Segment s = capsuleSegment(kSculptureCapsules[i]);
        for (int k = 0; k < 3; ++k) {
            const double reach = k == s.axis ? double{s.half} : 0.0;
            low[i][k] = double{s.centre[k]} - reach;
            high[i][k] = double{s.centre[k]} + reach;
        }
    }
    Slab slab{};
    for (int iy = 0; iy < kCellsPerAxis; ++iy) {
        for (int iz = 0; iz < kCellsPerAxis; ++iz) {
            const int index[3] = {ix, iy, iz};
            double nearSquared[kCapsuleCount] = {};
            double farthest = 1e300;
            for (int i = 0; i < kCapsuleCount; ++i) {
                double nearest = 0.0;
                double farSquared = 0.0;
                for (int k = 0; k < 3; ++k) {
                    const double a = double{kCellsLow[k]} + index[k] * double{kCellSize} - kGrow;
                    const double b =
                        double{kCellsLow[k]} + (index[k] + 1) * double{kCellSize} + kGrow;
                    // The distance to an interval is convex: nearest inside, farthest at an end.
                    const double inside = a > high[i][k] ? a : b < low[i][k] ? b : low[i][k];
                    nearest += axisGapSquared(inside, low[i][k], high[i][k]);
                    const double ga = axisGapSquared(a, low[i][k], high[i][k]);
                    const double gb = axisGapSquared(b, low[i][k], high[i][k]);
                    farSquared += ga > gb ? ga : gb;
                }
                nearSquared[i] = nearest;
                farthest = farSquared < farthest ? farSquared : farthest;
            }
            const double reach = squareRoot(farthest) + kMargin;
            uint32_t candidates = 0;
            for (int i = 0; i < kCapsuleCount; ++i) {
                if (nearSquared[i] <= reach * reach) candidates |= 1u << i;
            }
            slab.candidates[iy * kCellsPerAxis + iz] = candidates;
        }
    }
    return slab;
}

template <int kIx>
inline constexpr Slab kSlab = makeSlab(kIx);

template <int kIx = 0>
constexpr void copySlabs(SculptureCells& out) {
    if constexpr (kIx < kCellsPerAxis) {
        for (int i = 0; i < kCellsPerAxis * kCellsPerAxis; ++i)
            out.candidates[kIx * kCellsPerAxis * kCellsPerAxis + i] = kSlab<kIx>.candidates[i];
        copySlabs<kIx + 1>(out);
    }
}

constexpr SculptureCells makeSculptureCells() {
    SculptureCells out{};
    copySlabs(out);
    return out;
}

}  // namespace cells

inline constexpr SculptureCells kSculptureCells = cells::makeSculptureCells();
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
    return {V::orI(V::orI(V::shiftLeftI(ix, 8), V::shiftLeftI(iy, 4)), iz),
            ~inside & ((1 << V::kWidth) - 1)};
}

}  // namespace rm
