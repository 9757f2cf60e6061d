#pragma once

// Gradient noise of the plane z = 0 at one point per lane, written once for every set of lane
// operations (see lane_ops_*.h) on the choices each states (simd/lane_strategies.h). Each lane
// computes exactly what the plain noise at z = 0 computes (reference::noise).
//
// The forms a set can take (each lane_ops_*.h states which it takes):
//   gradients (V::kGradients): every form is in plane_gradients.h, chosen in planeNoiseInCell
//   cell look-ups
//     one cell at a time, floors by conversion (planeCellFloorsLanes)  kFloorByConversion
//     a gather of 16-bit entries (planeCornersOfTruncated)             wide lanes
//     a gather of the pairs' row offsets, from float lanes             kCellsFromFloats
//       (planeCellOfFloatsLanes)
//     the cells of the last pass kept where the point stays inside     kRememberedGroundCells
//       (rememberedPlaneCellLanes)
//   the corner codes of a cell: plane_hashes.h
#include <stddef.h>

#include "noise/plane_gradients.h"
#include "noise/plane_hashes.h"
#include "simd/lane_strategies.h"

namespace rm {

// The constants of the noise's lane arithmetic. Most callers take kPlaneNoiseConstants, whose
// values the compiler builds into the code. A processor that forms a constant from its address in
// two or three instructions, again at every use in a loop short of registers, is better served by
// a record the compiler cannot see into, read with one load a use (see the march).
struct PlaneNoiseConstants {
    double zero;
    double one;
    double fade[3];  // 6, 15, 10
};

inline constexpr PlaneNoiseConstants kPlaneNoiseConstants{0.0, 1.0, {6.0, 15.0, 10.0}};

// No value of the plane noise is larger than this, or smaller than its negative. A corner's term
// is a sum of two offsets of at most 1, each possibly negated or zero, so at most 2; each blend
// a + ((b.u - a) + b.v) * f with a fade f of [0, 1] lies between its two ends, and the value
// between the blends of the two rows, but for roundings of values below 8, far smaller than the
// margin left here.
inline constexpr double kPlaneNoiseBound = 4.0;

template <class V>
typename V::D fadeLanes(typename V::D t, const PlaneNoiseConstants& c = kPlaneNoiseConstants) {
    const typename V::D a =
        V::addD(V::mulD(V::subD(V::mulD(t, V::setD(c.fade[0])), V::setD(c.fade[1])), t),
                V::setD(c.fade[2]));
    return V::mulD(a, V::mulD(V::mulD(t, t), t));
}

// A single lane whose gradients come from the pair factors carries a cell's corner codes as the
// offsets of its two entries in kPlaneGradientPairFactors, (X, Y) with (X + 1, Y) in bits 6 to 13
// and (X, Y + 1) with (X + 1, Y + 1) in bits 22 to 29: a remembered cell keeps them, so a pass in
// it finds its factors with a mask and a shift instead of four extractions and scalings.
template <class V>
__attribute__((always_inline)) inline typename V::I planeCornersOf(int32_t codes) {
    static_assert(sizeof(PlaneGradientPairFactors::Pair) == 64);
    if constexpr (V::kGradients == GradientForm::PairFactors)
        return (codes & 255) << 6 | (codes >> 8 & 255) << 22;
    else
        return codes;
}

// A point's offsets in its lattice cell and the cell's corner gradient choices. Looking the
// corners up is the slow step, so it is separate: callers start the look-ups of all their points
// before they interpolate any.
template <class V>
struct PlaneCellLanes {
    typename V::D xf;
    typename V::D yf;
    typename V::I corners;
};

// The corner codes of the cells whose floors truncate to tx, ty. An out-of-range or NaN floor
// truncates to 0x80000000, whose cell is 0, as in the scalar code.
template <class V>
__attribute__((always_inline)) inline typename V::I planeCornersOfTruncated(
    const PlaneHashes& hashes, typename V::I tx, typename V::I ty) {
    const typename V::I cx = V::andI(tx, V::setI(255));
    const typename V::I cy = V::andI(ty, V::setI(255));
    const typename V::I index = V::orI(V::shiftLeftI(cx, 8), cy);
    // Lanes that dot their points with factor rows carry the offsets of a cell's two entries in
    // kPlaneGradientPairFactors, as a single lane does (see planeCornersOf), in place of its codes.
    static_assert(sizeof(PlaneGradientPairFactors::Pair) == 1 << 6);
#ifdef RAYMARCH_SMALL_MEMORY
    // The lanes' entries are found one by one, then read as from a table of one entry per lane,
    // with the spare entry that a read of 32 bits needs.
    alignas(64) int32_t cells[V::kWidth];
    alignas(64) int32_t lanes[V::kWidth];
    uint16_t entries[V::kWidth + 1];
    V::storeI(cells, index);
    for (int lane = 0; lane < V::kWidth; ++lane) {
        entries[lane] = planeCornerCodes(hashes, cells[lane]);
        lanes[lane] = lane;
    }
    entries[V::kWidth] = 0;
    const typename V::I at = V::loadI(lanes);
    if constexpr (V::kGradients == GradientForm::PairFactorRows)
        return V::template gatherBytesShifted<6>(entries, at);
    else
        return V::gather(entries, at);
#else
    if constexpr (V::kGradients == GradientForm::PairFactorRows)
        return V::template gatherBytesShifted<6>(hashes.corners, index);
    else
        return V::gather(hashes.corners, index);
#endif
}

// The corner codes of the cells whose floors are fx, fy.
template <class V>
__attribute__((always_inline)) inline typename V::I planeCornersLanes(const PlaneHashes& hashes,
                                                                      typename V::D fx,
                                                                      typename V::D fy) {
    return planeCornersOfTruncated<V>(hashes, V::truncate(fx), V::truncate(fy));
}

// planeCellLanes at the widened float points (x, y). A float's floor is a float, which widens to
// the double's floor, and truncates to the same cell; the offsets are the double differences.
template <class V>
__attribute__((always_inline)) inline PlaneCellLanes<V> planeCellOfFloatsLanes(
    const PlaneHashes& hashes, typename V::F x, typename V::F y) {
    const typename V::F fx = V::floorF(x);
    const typename V::F fy = V::floorF(y);
    return {V::subD(V::widen(x), V::widen(fx)), V::subD(V::widen(y), V::widen(fy)),
            planeCornersOfTruncated<V>(hashes, V::truncateIntegralF(fx), V::truncateIntegralF(fy))};
}

// A single lane's floor of v and its cell, both from one truncating conversion where v is within
// the 32-bit integers (elsewhere from the floor, as the lanes do): a conversion back and one
// comparison replace the floor's own rounding and the range tests of a second conversion.
struct PlaneFloorScalar {
    double floor;
    int32_t cell;
};

template <class V>
__attribute__((always_inline)) inline PlaneFloorScalar planeFloorScalar(double v) {
    if (__builtin_fabs(v) < 0x1p31) {
        int32_t i = static_cast<int32_t>(v);
        double f = static_cast<double>(i);
        if (f > v) {
            i -= 1;
            f -= 1.0;
        }
        // For v = -0 this floor is +0, not -0: the offset v - f is then -0, which the caller's
        // added +0 turns into the +0 of -0 - floor(-0).
        return {f, i & 255};
    }
    const double f = V::floorD(v);
    return {f, V::truncate(f) & 255};
}

// A cell with the floors of its point.
template <class V>
struct PlaneCellFloorsLanes {
    PlaneCellLanes<V> cell;
    typename V::D floorX;
    typename V::D floorY;
};

template <class V>
__attribute__((always_inline)) inline PlaneCellFloorsLanes<V> planeCellFloorsLanes(
    const PlaneHashes& hashes, typename V::D x, typename V::D y) {
    if constexpr (V::kFloorByConversion) {
        const PlaneFloorScalar fx = planeFloorScalar<V>(x);
        const PlaneFloorScalar fy = planeFloorScalar<V>(y);
        // Adding +0 changes no offset but the -0 of a point at -0 (see planeFloorScalar).
        return {{(x - fx.floor) + 0.0, (y - fy.floor) + 0.0,
                 planeCornersOf<V>(planeCornerCodes(hashes, fx.cell << 8 | fy.cell))},
                fx.floor,
                fy.floor};
    } else {
        const typename V::D fx = V::floorD(x);
        const typename V::D fy = V::floorD(y);
        return {{V::subD(x, fx), V::subD(y, fy), planeCornersLanes<V>(hashes, fx, fy)}, fx, fy};
    }
}

template <class V>
__attribute__((always_inline)) inline PlaneCellLanes<V> planeCellLanes(const PlaneHashes& hashes,
                                                                       typename V::D x,
                                                                       typename V::D y) {
    return planeCellFloorsLanes<V>(hashes, x, y).cell;
}

// Each lane's last cell of one sample: its floors and corner codes, kept between calls. A cell
// whose floors are NaN matches no point.
struct PlaneCellMemory {
    double* floorX;
    double* floorY;
    int32_t* corners;
};

// planeCellLanes, reusing the remembered cells while every lane's point lies strictly inside its
// own. The offset x - f from the remembered floor f is the test: its rounding keeps its sign and
// rounds a difference of 1 or more to at least 1, so 0 < x - f < 1 means f < x < f + 1, where f
// is floor(x) and x - f the very subtraction of a look-up. A point that rounds onto 1 from below,
// or an integral point, where -0 and +0 floor differently, looks its cell up again.
template <class V>
__attribute__((always_inline)) inline PlaneCellLanes<V> rememberedPlaneCellLanes(
    const PlaneHashes& hashes, typename V::D x, typename V::D y, const PlaneCellMemory& memory,
    const PlaneNoiseConstants& c = kPlaneNoiseConstants) {
    using D = typename V::D;
    const D xf = V::subD(x, V::loadD(memory.floorX));
    const D yf = V::subD(y, V::loadD(memory.floorY));
    const D zero = V::setD(c.zero);
    const D one = V::setD(c.one);
    const int inside = V::bitsD(V::andMD(V::andMD(V::ltD(zero, xf), V::ltD(xf, one)),
                                         V::andMD(V::ltD(zero, yf), V::ltD(yf, one))));
    if (inside == (1 << V::kWidth) - 1) return {xf, yf, V::loadI(memory.corners)};
    const PlaneCellFloorsLanes<V> found = planeCellFloorsLanes<V>(hashes, x, y);
    V::storeD(memory.floorX, found.floorX);
    V::storeD(memory.floorY, found.floorY);
    V::storeI(memory.corners, found.cell.corners);
    return found.cell;
}

// The interpolation of a cell from u + v of corners (X, Y) and (X, Y + 1) and the components of
// the other two; the far value of each pair is never formed on its own.
template <class V>
__attribute__((always_inline)) inline typename V::D interpolateCell(
    typename V::D g1, const GradientLanes<V>& c2, typename V::D g3, const GradientLanes<V>& c4,
    typename V::D fu, typename V::D fv) {
    using D = typename V::D;
    const D l1 = V::addD(V::mulD(V::addD(V::subD(c2.u, g1), c2.v), fu), g1);
    const D far = V::addD(V::mulD(V::addD(V::subD(c4.u, g3), c4.v), fu), V::subD(g3, l1));
    return V::addD(V::mulD(far, fv), l1);
}

template <class V>
__attribute__((always_inline)) inline typename V::D planeNoiseInCell(
    const PlaneCellLanes<V>& cell, const PlaneNoiseConstants& c = kPlaneNoiseConstants) {
    using D = typename V::D;
    const D xf = cell.xf;
    const D yf = cell.yf;
    const D x1 = V::subD(xf, V::setD(c.one));
    const D y1 = V::subD(yf, V::setD(c.one));
    const D fu = fadeLanes<V>(xf, c);
    const D fv = fadeLanes<V>(yf, c);

    GradientLanes<V> c1, c2, c3, c4;
    if constexpr (V::kGradients == GradientForm::LaneTables) {
        // Lanes that read a 16-entry table per lane form u + v of the near corners as sums of
        // products with the factors, instead of testing code bits.
        const typename V::L codes = V::widenI(cell.corners);
        const PlaneGradientFactors& f = kPlaneGradientFactors;
        auto sum = [&](int at, D x, D y) {
            const typename V::L h = V::shiftRightL(codes, at);
            return V::addD(V::mulD(x, V::tableD(f.gX, h)), V::mulD(y, V::tableD(f.gY, h)));
        };
        auto apart = [&](int at, D x, D y) {
            const typename V::L h = V::shiftRightL(codes, at);
            const D u = V::flipSignD(V::selectD(V::bitSetL(codes, at + 3), x, y), codes, at);
            return GradientLanes<V>{
                u, V::addD(V::mulD(x, V::tableD(f.vX, h)), V::mulD(y, V::tableD(f.vY, h)))};
        };
        const D g1 = sum(0, xf, yf);
        c2 = apart(4, x1, yf);
        const D g3 = sum(8, xf, y1);
        c4 = apart(12, x1, y1);
        return interpolateCell<V>(g1, c2, g3, c4, fu, fv);
    } else if constexpr (V::kGradients == GradientForm::PairCases) {
        // The same values as the factors below form, in the code for each pair of codes; the
        // corner codes are 16 bits, so each pair's lies from 0 to 255.
        const D l1 = planePairAlongXOf<false>(cell.corners & 255, xf, yf, x1, fu, 0.0);
        const D far = planePairAlongXOf<true>(cell.corners >> 8, xf, y1, x1, fu, l1);
        return V::addD(V::mulD(far, fv), l1);
    } else if constexpr (V::kGradients == GradientForm::PairFactors) {
        // A single lane reads its gradients from tables instead of testing code bits, whose
        // choices follow random bits that no branch predictor can learn: u + v of the near corners
        // and u and v of the far ones as sums of products with the factors, as above. Of the far
        // corners' offsets, x1 is never zero, so a u or v the factors form is the chosen offset
        // itself, except that the z term v comes out as x1 * 0 + y * 0, +0 at corner (X + 1, Y)
        // and -0 at (X + 1, Y + 1), whatever its sign: there it is added to u - g with u = x1 or
        // y1, nonzero, which either is nonzero or is +0 from x - x; or to u - g with u = yf,
        // where only u = -0 and g = +0 give -0 + v = v, whose sign then vanishes in v * fu + g.
        using Pair = PlaneGradientPairFactors::Pair;
        const char* pairs = reinterpret_cast<const char*>(kPlaneGradientPairFactors.pairs);
        const Pair& low = *reinterpret_cast<const Pair*>(pairs + (cell.corners & 0x3fc0));
        const Pair& high = *reinterpret_cast<const Pair*>(pairs + (cell.corners >> 16));
        auto sum = [&](const Pair& p, D x, D y) {
            return V::addD(V::mulD(x, p.gX), V::mulD(y, p.gY));
        };
        auto apart = [&](const Pair& p, D x, D y) {
            return GradientLanes<V>{V::addD(V::mulD(x, p.far.uX), V::mulD(y, p.far.uY)),
                                    V::addD(V::mulD(x, p.far.vX), V::mulD(y, p.far.vY))};
        };
        return interpolateCell<V>(sum(low, xf, yf), apart(low, x1, yf), sum(high, xf, y1),
                                  apart(high, x1, y1), fu, fv);
    } else if constexpr (V::kGradients == GradientForm::PairFactorRows) {
        // Lanes that take dot products with rows read each lane's factors from
        // kPlaneGradientPairFactors and form the same sums of products as a single lane, so each
        // lane's value is a single lane's. A corner's point less (1, 0), (0, 1) or (1, 1) holds
        // the very differences xf - 1 and yf - 1, next to offsets less +0, which stay as they are.
        const char* low[V::kWidth];
        const char* high[V::kWidth];
        V::halvesFrom(reinterpret_cast<const char*>(kPlaneGradientPairFactors.pairs), cell.corners,
                      low, high);
        static_assert(offsetof(PlaneGradientPairFactors::Pair, far) == 2 * sizeof(double));
        const typename V::Points p = V::pointsD(xf, yf);
        const typename V::Dots near = V::dotRowsD(p, V::subPoints(p, 1.0, 0.0), low);
        const typename V::Dots far =
            V::dotRowsD(V::subPoints(p, 0.0, 1.0), V::subPoints(p, 1.0, 1.0), high);
        return interpolateCell<V>(near.first, {near.second, near.third}, far.first,
                                  {far.second, far.third}, fu, fv);
    } else {
        const typename V::L codes = V::widenI(cell.corners);
        c1 = gradientLanes<V>(codes, 0, xf, yf);
        c2 = gradientLanes<V>(codes, 4, x1, yf);
        c3 = gradientLanes<V>(codes, 8, xf, y1);
        c4 = gradientLanes<V>(codes, 12, x1, y1);
    }
    return interpolateCell<V>(V::addD(c1.u, c1.v), c2, V::addD(c3.u, c3.v), c4, fu, fv);
}

template <class V>
__attribute__((always_inline)) inline typename V::D planeNoiseLanes(const PlaneHashes& hashes,
                                                                    typename V::D x,
                                                                    typename V::D y) {
    return planeNoiseInCell<V>(planeCellLanes<V>(hashes, x, y));
}

}  // namespace rm
