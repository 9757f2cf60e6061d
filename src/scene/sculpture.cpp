// The grid of cells around the sculpture (kSculptureCells), worked out by the compiler.
#include "scene/sculpture.h"

namespace rm {
namespace cells {

// The squared distance from p to the interval [low, high], along one axis.
constexpr double axisGapSquared(double p, double low, double high) {
    const double gap = p < low ? low - p : p > high ? p - high : 0.0;
    return gap * gap;
}

// Newton's iteration from above, until it stops falling; only the bounds of the table depend on
// it, with a wide margin. It starts from the first power of two at or above the root, which takes
// a third of the compiler's time off the table.
constexpr double squareRoot(double v) {
    double r = 1.0;
    while (r * r < v)
        r *= 2.0;
    for (int i = 0; i < 64; ++i) {
        const double next = 0.5 * (r + v / r);
        if (!(next < r)) break;
        r = next;
    }
    return r;
}

// A computed capsule distance is within 1e-5 of the true distance to its segment, less 1, in the
// grid; a point's cell is found to within 1e-5. The margins cover both a hundred times.
constexpr double kGrow = 1e-3;
constexpr double kMargin = 1e-3;

// Along each axis, for each row of cells and each capsule, the squared gaps from the capsule's
// segment to the nearest and the farthest point of the row (grown by kGrow). The distance to an
// interval is convex: nearest inside, farthest at an end.
struct AxisGaps {
    double nearest[3][kCellsPerAxis][kCapsuleCount];
    double farthest[3][kCellsPerAxis][kCapsuleCount];
};

constexpr AxisGaps makeAxisGaps() {
    AxisGaps gaps{};
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Segment s = capsuleSegment(kSculptureCapsules[i]);
        for (int k = 0; k < 3; ++k) {
            const double reach = k == s.axis ? double{s.half} : 0.0;
            const double low = double{s.centre[k]} - reach;
            const double high = double{s.centre[k]} + reach;
            for (int j = 0; j < kCellsPerAxis; ++j) {
                const double a = double{kCellsLow[k]} + j * double{kCellSize} - kGrow;
                const double b = double{kCellsLow[k]} + (j + 1) * double{kCellSize} + kGrow;
                const double inside = a > high ? a : b < low ? b : low;
                gaps.nearest[k][j][i] = axisGapSquared(inside, low, high);
                const double ga = axisGapSquared(a, low, high);
                const double gb = axisGapSquared(b, low, high);
                gaps.farthest[k][j][i] = ga > gb ? ga : gb;
            }
        }
    }
    return gaps;
}

inline constexpr AxisGaps kAxisGaps = makeAxisGaps();

// The cells of one slab (x index fixed): built one slab per constant, to keep each constant
// evaluation small.
struct Slab {
    uint32_t candidates[kCellsPerAxis * kCellsPerAxis];
    float nearest[kCellsPerAxis * kCellsPerAxis];
};

constexpr Slab makeSlab(int ix) {
    Slab slab{};
    for (int iy = 0; iy < kCellsPerAxis; ++iy) {
        // The x and y terms are the same along the whole column: summed once, in the same order
        // as the cell's own sum, they halve what the compiler evaluates.
        double nearXY[kCapsuleCount] = {};
        double farXY[kCapsuleCount] = {};
        for (int i = 0; i < kCapsuleCount; ++i) {
            nearXY[i] = (0.0 + kAxisGaps.nearest[0][ix][i]) + kAxisGaps.nearest[1][iy][i];
            farXY[i] = (0.0 + kAxisGaps.farthest[0][ix][i]) + kAxisGaps.farthest[1][iy][i];
        }
        for (int iz = 0; iz < kCellsPerAxis; ++iz) {
            double nearSquared[kCapsuleCount] = {};
            double farthest = 1e300;
            double closest = 1e300;
            for (int i = 0; i < kCapsuleCount; ++i) {
                const double nearest = nearXY[i] + kAxisGaps.nearest[2][iz][i];
                const double farSquared = farXY[i] + kAxisGaps.farthest[2][iz][i];
                nearSquared[i] = nearest;
                farthest = farSquared < farthest ? farSquared : farthest;
                closest = nearest < closest ? nearest : closest;
            }
            const double reach = squareRoot(farthest) + kMargin;
            const double reachSquared = reach * reach;
            uint32_t candidates = 0;
            for (int i = 0; i < kCapsuleCount; ++i) {
                if (nearSquared[i] <= reachSquared) candidates |= 1u << i;
            }
            slab.candidates[iy * kCellsPerAxis + iz] = candidates;
            // Less the tube's radius and the margin, and a little more for the narrowing.
            slab.nearest[iy * kCellsPerAxis + iz] =
                static_cast<float>(squareRoot(closest) - 1.0 - 2.0 * kMargin);
        }
    }
    return slab;
}

template <int kIx>
inline constexpr Slab kSlab = makeSlab(kIx);

template <int kIx = 0>
constexpr void copySlabs(SculptureCells& out) {
    if constexpr (kIx < kCellsPerAxis) {
        for (int i = 0; i < kCellsPerAxis * kCellsPerAxis; ++i) {
            out.candidates[kIx * kCellsPerAxis * kCellsPerAxis + i] = kSlab<kIx>.candidates[i];
            out.nearest[kIx * kCellsPerAxis * kCellsPerAxis + i] = kSlab<kIx>.nearest[i];
        }
        copySlabs<kIx + 1>(out);
    }
}

constexpr SculptureCells makeSculptureCells() {
    SculptureCells out{};
    copySlabs(out);
    return out;
}

}  // namespace cells

constinit const SculptureCells kSculptureCells = cells::makeSculptureCells();

}  // namespace rm
