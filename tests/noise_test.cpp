// Gradient noise on the seed-0 table, and its octave sums.
#include "reference/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>

#include "math/float_bits.h"
#include "math/float_ops.h"
#include "noise/octave_noise.h"
#include "noise/perlin_noise.h"
#include "noise/plane_hashes.h"
#include "noise/plane_noise_lanes.h"
#include "reference/gradient_terms.h"
#include "scene/scene_noise.h"
#include "simd/lane_ops_scalar.h"

namespace rm {
namespace {

using reference::noise;
using reference::octaveNoise;

// The two terms of a corner gradient by the low four bits of the hash: an axis (0 x, 1 y, 2 z)
// and a sign for each. Hashes 12..15 repeat four of the first twelve gradients.
struct Gradient {
    int uAxis;
    double uSign;
    int vAxis;
    double vSign;
};
constexpr Gradient kGradients[16] = {
    {0, 1, 1, 1}, {0, -1, 1, 1}, {0, 1, 1, -1}, {0, -1, 1, -1},  // x and y
    {0, 1, 2, 1}, {0, -1, 2, 1}, {0, 1, 2, -1}, {0, -1, 2, -1},  // x and z
    {1, 1, 2, 1}, {1, -1, 2, 1}, {1, 1, 2, -1}, {1, -1, 2, -1},  // y and z
    {1, 1, 0, 1}, {1, -1, 2, 1}, {1, 1, 0, -1}, {1, -1, 2, -1},  // y and x, y and z
};

struct Terms {
    double u;
    double v;
};

Terms cornerTerms(int32_t hash, double x, double y, double z) {
    const double c[3] = {x, y, z};
    const Gradient& g = kGradients[hash & 15];
    return {g.uSign * c[g.uAxis], g.vSign * c[g.vAxis]};
}

double fade(double t) { return ((t * 6.0 - 15.0) * t + 10.0) * ((t * t) * t); }
double lerp(double t, double a, double b) { return (b - a) * t + a; }

// The cell of a point: its eight corner terms and its three fade weights.
struct Cell {
    Terms corner[9];  // 1..8
    double fu;
    double fv;
    double fw;
};

Cell cellOf(const PerlinNoise& table, double x, double y, double z) {
    const int32_t* p = table.perm;
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const double fz = std::floor(z);
    const int32_t cx = static_cast<int32_t>(fx) & 255;
    const int32_t cy = static_cast<int32_t>(fy) & 255;
    const int32_t cz = static_cast<int32_t>(fz) & 255;
    const double xf = x - fx, yf = y - fy, zf = z - fz;
    const double x1 = xf - 1.0, y1 = yf - 1.0, z1 = zf - 1.0;
    const int32_t a = p[cx] + cy, aa = p[a] + cz, ab = p[a + 1] + cz;
    const int32_t b = p[cx + 1] + cy, ba = p[b] + cz, bb = p[b + 1] + cz;
    Cell cell;
    cell.corner[1] = cornerTerms(p[aa], xf, yf, zf);
    cell.corner[2] = cornerTerms(p[ba], x1, yf, zf);
    cell.corner[3] = cornerTerms(p[ab], xf, y1, zf);
    cell.corner[4] = cornerTerms(p[bb], x1, y1, zf);
    cell.corner[5] = cornerTerms(p[aa + 1], xf, yf, z1);
    cell.corner[6] = cornerTerms(p[ba + 1], x1, yf, z1);
    cell.corner[7] = cornerTerms(p[ab + 1], xf, y1, z1);
    cell.corner[8] = cornerTerms(p[bb + 1], x1, y1, z1);
    cell.fu = fade(xf);
    cell.fv = fade(yf);
    cell.fw = fade(zf);
    return cell;
}

// The interpolation in the renderer's order: the far corner's terms enter one at a time and
// the far values along y and z are never formed.
double interpolateInOrder(const Cell& c) {
    const Terms* k = c.corner;
    const double g1 = k[1].u + k[1].v;
    const double l1 = ((k[2].u - g1) + k[2].v) * c.fu + g1;
    const double g3 = k[3].u + k[3].v;
    const double m1 = (((k[4].u - g3) + k[4].v) * c.fu + (g3 - l1)) * c.fv + l1;
    const double g5 = k[5].u + k[5].v;
    const double l3 = ((k[6].u - g5) + k[6].v) * c.fu + g5;
    const double g7 = k[7].u + k[7].v;
    return ((((k[8].u - g7) + k[8].v) * c.fu + (g7 - l3)) * c.fv + (l3 - m1)) * c.fw + m1;
}

// The textbook composition of lerp over whole corner gradients.
double interpolateTextbook(const Cell& c) {
    double g[9];
    for (int i = 1; i <= 8; ++i)
        g[i] = c.corner[i].u + c.corner[i].v;
    return lerp(c.fw, lerp(c.fv, lerp(c.fu, g[1], g[2]), lerp(c.fu, g[3], g[4])),
                lerp(c.fv, lerp(c.fu, g[5], g[6]), lerp(c.fu, g[7], g[8])));
}

TEST(NoiseTest, IsZeroAtLatticePointsAndAQuarterBelowZeroAtTheCellCentre) {
    const PerlinNoise table = makePerlinNoise(0);
    EXPECT_EQ(noise(table, 0, 0, 0), 0.0);
    EXPECT_EQ(noise(table, 1, 2, 3), 0.0);
    EXPECT_EQ(noise(table, -7, 300, -256), 0.0);
    EXPECT_EQ(doubleBits(noise(table, 0.5, 0.5, 0.5)), doubleBits(-0.25));
}

TEST(NoiseTest, RepeatsEvery256UnitsAndFloorsNegativeCoordinates) {
    const PerlinNoise table = makePerlinNoise(0);
    // For x = -0.25 the cell is 255 and the offset 0.75, as for x = 255.75.
    const double pairs[][6] = {
        {256.5, 0.3, 0.7, 0.5, 0.3, 0.7},
        {-0.25, 0.3, 0.7, 255.75, 0.3, 0.7},
        {0.3, -0.25, 0.7, 0.3, 255.75, 0.7},
        {0.3, 0.7, -0.25, 0.3, 0.7, 255.75},
        {-1.0, 0.3, 0.7, 255.0, 0.3, 0.7},
        {-1000.125, 5.5, 2.25, 23.875, 5.5, 2.25},
        {0.125, 512.625, -511.5, 0.125, 0.625, 0.5},
    };
    for (const auto& q : pairs) {
        EXPECT_EQ(doubleBits(noise(table, q[0], q[1], q[2])),
                  doubleBits(noise(table, q[3], q[4], q[5])))
            << q[0] << ", " << q[1] << ", " << q[2];
    }
    EXPECT_NE(noise(table, -0.25, 0.3, 0.7), noise(table, 0.25, 0.3, 0.7));
}

TEST(NoiseTest, NearACornerFollowsTheGradientOfItsHashLowFourBits) {
    const PerlinNoise table = makePerlinNoise(0);
    const int32_t* p = table.perm;
    // Offsets 1, 3 and 9 thousandths tell all twelve gradients apart; the other corners weigh
    // in by less than 1e-5.
    const double ex = 0.001, ey = 0.003, ez = 0.009;
    bool seen[16] = {};
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 16; ++y) {
            const int32_t hash = p[p[p[x] + y]];
            seen[hash & 15] = true;
            const Terms t = cornerTerms(hash, ex, ey, ez);
            EXPECT_NEAR(noise(table, x + ex, y + ey, ez), t.u + t.v, 2e-5)
                << "cell " << x << ", " << y << ", hash " << hash;
        }
    }
    for (int h = 0; h < 16; ++h)
        EXPECT_TRUE(seen[h]) << "no corner hash with low bits " << h;
}

TEST(NoiseTest, InterpolatesInTheRendererOrderNotTheTextbookOne) {
    const PerlinNoise table = makePerlinNoise(0);
    std::mt19937 engine(5);
    std::uniform_real_distribution<double> coordinate(-600.0, 600.0);
    int textbookDiffers = 0;
    const int points = 20000;
    for (int i = 0; i < points; ++i) {
        // Small coordinates keep all 53 bits in their cell offsets, so every sum can round.
        const double scale = i % 3 == 0 ? 1.0 : i % 3 == 1 ? 0.01 : 0.001;
        const double x = coordinate(engine) * scale;
        const double y = coordinate(engine) * scale;
        const double z = i % 4 == 0 ? 0.0 : coordinate(engine) * scale;
        const Cell cell = cellOf(table, x, y, z);
        const double value = noise(table, x, y, z);
        ASSERT_EQ(doubleBits(value), doubleBits(interpolateInOrder(cell)))
            << x << ", " << y << ", " << z;
        if (value != interpolateTextbook(cell)) ++textbookDiffers;
    }
    EXPECT_GT(textbookDiffers, points / 20);
}

// The scene's tables, which the compiler builds in parts, are those of seed 0 built at run time in
// one piece.
TEST(NoiseTest, SceneTablesAreTheSeedZeroTables) {
    const PerlinNoise table = makePerlinNoise(0);
    static PlaneHashes hashes;
    buildPlaneHashes(table, hashes);
    EXPECT_EQ(std::memcmp(kGroundNoise.perm, table.perm, sizeof table.perm), 0);
    EXPECT_EQ(std::memcmp(kSkyNoise.base.perm, table.perm, sizeof table.perm), 0);
    EXPECT_EQ(kSkyNoise.octaves, 8);
    EXPECT_EQ(std::memcmp(&kScenePlaneHashes, &hashes, sizeof hashes), 0);
}

TEST(NoiseTest, PlaneSamplesEqualTheNoiseAtZeroHeight) {
    const PerlinNoise table = makePerlinNoise(0);
    const OctaveNoise octaves = makeOctaveNoise(8, 0);
    static PlaneHashes hashes;
    buildPlaneHashes(table, hashes);
    std::mt19937 engine(8);
    std::uniform_real_distribution<double> coordinate(-3000.0, 3000.0);
    for (int i = 0; i < 20000; ++i) {
        const double scale = i % 3 == 0 ? 1.0 : i % 3 == 1 ? 0.001 : 0.000001;
        double x = coordinate(engine) * scale;
        double y = coordinate(engine) * scale;
        if (i % 7 == 0) x = std::floor(x);  // some points on lattice lines
        if (i % 11 == 0) y = std::floor(y);
        // Equal values, up to the sign of a zero result.
        ASSERT_EQ(planeNoiseLanes<LaneOpsScalar>(hashes, x, y), noise(table, x, y, 0.0))
            << x << ", " << y;
        ASSERT_EQ(octaveNoisePlane(hashes, octaves.octaves, x, y), octaveNoise(octaves, x, y, 0.0))
            << x << ", " << y;
    }
}

// Every cell's codes, the last row and column of cells included, whose far corners wrap to
// cell 0, are those of the noise's hash of each corner, for two tables.
TEST(NoiseTest, CornerCodesOfEveryCellAreThoseOfItsCornersHashes) {
    for (uint32_t seed : {0u, 7u}) {
        const PerlinNoise table = makePerlinNoise(seed);
        static PlaneHashes hashes;
        buildPlaneHashes(table, hashes);
        const int32_t* p = table.perm;
        auto code = [p](int32_t x, int32_t y) {
            return planeGradientCode(static_cast<uint32_t>(p[p[p[x % 256] + y % 256]] % 16));
        };
        for (int32_t x = 0; x < 256; ++x) {
            for (int32_t y = 0; y < 256; ++y) {
                const uint32_t expected = code(x, y) | code(x + 1, y) << 4 | code(x, y + 1) << 8 |
                                          code(x + 1, y + 1) << 12;
                ASSERT_EQ(planeCornerCodes(hashes, x << 8 | y), expected) << x << ", " << y;
            }
        }
    }
}

// The march leaves a ground sample out where kPlaneNoiseBound shows it cannot matter; the bound
// holds twice over in every cell, at its corners, edges and middle.
TEST(NoiseTest, PlaneValuesStayWithinHalfTheirBound) {
    const PerlinNoise table = makePerlinNoise(0);
    const double offsets[] = {0.0, 0x1p-40, 0.25, 0.5, 0.75, 1.0 - 0x1p-40};
    double largest = 0.0;
    for (int cx = 0; cx < 256; ++cx) {
        for (int cy = 0; cy < 256; ++cy) {
            for (double u : offsets) {
                for (double v : offsets) {
                    const double n = noise(table, cx + u, cy + v, 0.0);
                    largest = std::fmax(largest, std::fabs(n));
                }
            }
        }
    }
    EXPECT_LE(largest, kPlaneNoiseBound / 2);
    EXPECT_GT(largest, 0.5);  // the samples do reach into the cells
}

TEST(NoiseTest, RememberedCellsGiveTheBitsOfFreshLookUps) {
    const PerlinNoise table = makePerlinNoise(0);
    static PlaneHashes hashes;
    buildPlaneHashes(table, hashes);
    double floorX = NAN;
    double floorY = NAN;
    int32_t corners = 0;
    const PlaneCellMemory memory{&floorX, &floorY, &corners};
    // Steps inside one cell, onto its edges, across them and back, zeros of both signs either
    // way round, and points that match no cell.
    const double walk[][2] = {
        {0.25, 0.5},  {0.75, 0.5},   {-0.0, 0.5},  {0.5, -0.0},  {0.0, 0.5},    {-0.0, 0.25},
        {0.5, 0.5},   {1.0, 0.5},    {0.999, 0.5}, {-0.25, 0.5}, {-1.0, 0.5},   {-0.5, 0.5},
        {-0.0, -0.0}, {-0.5, -0.5},  {255.5, 0.5}, {256.5, 0.5}, {0.5, 256.5},  {NAN, 0.5},
        {0.5, 0.5},   {INFINITY, 1}, {1e300, 0.5}, {1e300, 0.5}, {0x1p53, 0.5}, {0.5, 0.5},
    };
    for (const auto& p : walk) {
        const PlaneCellLanes<LaneOpsScalar> fresh =
            planeCellLanes<LaneOpsScalar>(hashes, p[0], p[1]);
        const PlaneCellLanes<LaneOpsScalar> kept =
            rememberedPlaneCellLanes<LaneOpsScalar>(hashes, p[0], p[1], memory);
        EXPECT_EQ(doubleBits(kept.xf), doubleBits(fresh.xf)) << p[0] << ", " << p[1];
        EXPECT_EQ(doubleBits(kept.yf), doubleBits(fresh.yf)) << p[0] << ", " << p[1];
        EXPECT_EQ(kept.corners, fresh.corners) << p[0] << ", " << p[1];
    }
}

TEST(NoiseTest, SingleLaneCellsAreThoseOfTheFloor) {
    const PerlinNoise table = makePerlinNoise(0);
    static PlaneHashes hashes;
    buildPlaneHashes(table, hashes);
    // Zeros of both signs, integers, both ends of the 32-bit conversion and beyond it.
    const double cases[] = {0.0,       -0.0,          0.5,           -0.5,          1.0,
                            -1.0,      -1e-300,       2.5e-7,        -255.75,       255.999,
                            0x1p31,    0x1p31 - 0.5,  -0x1p31,       -0x1p31 + 0.5, -0x1p31 - 0.5,
                            -0x1p52,   0x1p53 + 2.0,  1e300,         -1e300,        INFINITY,
                            -INFINITY, 4000.0 * 0.2f, -4000.0 * 0.2f};
    auto cellOf = [](double f) {
        return f >= -2147483648.0 && f < 2147483648.0 ? static_cast<int32_t>(f) & 255 : 0;
    };
    for (double x : cases) {
        for (double y : {0.25, -0.0, x}) {
            const PlaneCellLanes<LaneOpsScalar> cell = planeCellLanes<LaneOpsScalar>(hashes, x, y);
            EXPECT_EQ(doubleBits(cell.xf), doubleBits(x - std::floor(x))) << x << ", " << y;
            EXPECT_EQ(doubleBits(cell.yf), doubleBits(y - std::floor(y))) << x << ", " << y;
            EXPECT_EQ(cell.corners,
                      planeCornersOf<LaneOpsScalar>(planeCornerCodes(
                          hashes, cellOf(std::floor(x)) << 8 | cellOf(std::floor(y)))))
                << x << ", " << y;
        }
    }
    const PlaneCellLanes<LaneOpsScalar> nan = planeCellLanes<LaneOpsScalar>(hashes, NAN, 0.5);
    EXPECT_TRUE(std::isnan(nan.xf));
    EXPECT_EQ(nan.corners, planeCornersOf<LaneOpsScalar>(planeCornerCodes(hashes, 0 << 8 | 0)));
}

TEST(NoiseTest, FloorIsExactWithZerosOfBothSignsAndBeyondTheIntegers) {
    const double cases[] = {0.0,     -0.0,   0.5,      -0.5,         1.0,     -1.0,
                            -1e-300, 2.5e-7, -255.75,  0x1p52 - 0.5, -0x1p52, 0x1p53 + 2.0,
                            1e300,   -1e300, INFINITY, -INFINITY,    0x1p31,  -0x1p31 - 0.5};
    // The floor this processor uses, and both forms for processors without a rounding
    // instruction.
    for (double (*floorOf)(double) : {floorD, floorByTruncation, floorByRounding}) {
        for (double v : cases)
            EXPECT_EQ(doubleBits(floorOf(v)), doubleBits(std::floor(v))) << v;
        EXPECT_TRUE(std::isnan(floorOf(NAN)));
        std::mt19937 engine(5);
        std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
        for (int i = 0; i < 100000; ++i) {
            const double v = coordinate(engine) * (i % 2 ? 1.0 : 1e-6);
            ASSERT_EQ(doubleBits(floorOf(v)), doubleBits(std::floor(v))) << v;
        }
    }
}

// The plane noise of a cell from its four corner hashes, through the gradient terms of the
// general noise with z = 0.
double planeNoiseFromHashes(int32_t corners, double xf, double yf) {
    using reference::GradientTerms;
    using reference::gradientTerms;
    const double x1 = xf - 1.0;
    const double y1 = yf - 1.0;
    const double fu = reference::fade(xf);
    const double fv = reference::fade(yf);
    const GradientTerms c1 = gradientTerms(corners & 15, xf, yf, 0.0);
    const GradientTerms c3 = gradientTerms(corners >> 8 & 15, xf, y1, 0.0);
    const double g1 = c1.u + c1.v;
    const double l1 = reference::lerpAlongX(gradientTerms(corners >> 4 & 15, x1, yf, 0.0), g1, fu);
    const double g3 = c3.u + c3.v;
    const GradientTerms c4 = gradientTerms(corners >> 12 & 15, x1, y1, 0.0);
    return (((c4.u - g3) + c4.v) * fu + (g3 - l1)) * fv + l1;
}

// The gradient codes of four packed corner hashes, packed the same way.
int32_t planeGradientCodes(int32_t hashes) {
    int32_t codes = 0;
    for (int k = 0; k < 4; ++k)
        codes |= static_cast<int32_t>(planeGradientCode(hashes >> 4 * k & 15)) << 4 * k;
    return codes;
}

// One lane through the tests of code bits that the wide lanes make.
struct BitTestLaneOps : LaneOpsScalar {
    static constexpr GradientForm kGradients = GradientForm::CodeBits;
};

TEST(NoiseTest, CodeBitTestsGiveTheBitsOfTheHashTests) {
    // Every packing of four corner hashes, at offsets inside a cell and on its edges, where the
    // components are zeros of either sign.
    const double offsets[][2] = {
        {0.3125, 0.8125}, {0.0, 0.6}, {0.7, 0.0}, {0.0, 0.0}, {0.999, 0.001}};
    for (int32_t corners = 0; corners < 65536; ++corners) {
        const int32_t codes = planeGradientCodes(corners);
        for (const auto& [xf, yf] : offsets) {
            ASSERT_EQ(doubleBits(planeNoiseInCell<BitTestLaneOps>({xf, yf, codes})),
                      doubleBits(planeNoiseFromHashes(corners, xf, yf)))
                << corners << " at " << xf << ", " << yf;
        }
    }
}

// One lane that reads per-lane tables, as the widest x86-64 lanes do.
struct TableLaneOps : LaneOpsScalar {
    static constexpr GradientForm kGradients = GradientForm::LaneTables;
    static L shiftRightL(L h, int n) { return h >> n; }
    static D tableD(const double (&table)[16], L h) { return table[h & 15]; }
};

TEST(NoiseTest, GradientTablesGiveTheHashTestsUpToTheSignOfAZero) {
    // A zero of the other sign changes no sum that is not zero, and the callers add the noise to
    // values that are never -0.
    const double offsets[][2] = {{0.3125, 0.8125}, {0.0, 0.6},     {0.7, 0.0},
                                 {0.0, 0.0},       {0.999, 0.001}, {0.5, 0.5}};
    for (int32_t corners = 0; corners < 65536; ++corners) {
        const int32_t codes = planeGradientCodes(corners);
        for (const auto& [xf, yf] : offsets) {
            const uint64_t expected = doubleBits(planeNoiseFromHashes(corners, xf, yf) + 0.0);
            ASSERT_EQ(doubleBits(planeNoiseInCell<TableLaneOps>({xf, yf, codes}) + 0.0), expected)
                << corners << " at " << xf << ", " << yf;
            ASSERT_EQ(doubleBits(planeNoiseInCell<LaneOpsScalar>(
                                     {xf, yf, planeCornersOf<LaneOpsScalar>(codes)}) +
                                 0.0),
                      expected)
                << corners << " at " << xf << ", " << yf;
        }
    }
}

// A single lane with its gradients the other way round from this build's: written out for each
// pair of codes where this processor reads factors, and read where it writes them out.
struct OtherGradientLaneOps : LaneOpsScalar {
    static constexpr GradientForm kGradients = LaneOpsScalar::kGradients == GradientForm::PairCases
                                                   ? GradientForm::PairFactors
                                                   : GradientForm::PairCases;
};

TEST(NoiseTest, WrittenOutPairsGiveTheFactorsBitForBit) {
    // Offsets on the cell's edges, where products with 0 are zeros of either sign, at the
    // smallest and largest steps from them, and where x + (y - 1) cancels to a zero.
    const double offsets[] = {0.0, 0x1p-1074, 0x1p-30, 0.25, 0.3125, 0.5, 0.75, 1.0 - 0x1p-53};
    const double nearRows[] = {0.0, -0.0, 0.375, -1.25};
    const PlaneGradientFactors& f = kPlaneGradientFactors;
    auto fromFactors = [&](int pair, double x, double y, double x1, double fu, double nearRow,
                           bool farRow) {
        const int n = pair & 15;
        const int m = pair >> 4;
        const double g = x * f.gX[n] + y * f.gY[n];
        const double u = x1 * (f.gX[m] - f.vX[m]) + y * (f.gY[m] - f.vY[m]);
        const double v = x1 * f.vX[m] + y * f.vY[m];
        return ((u - g) + v) * fu + (farRow ? g - nearRow : g);
    };
    for (int pair = 0; pair < 256; ++pair) {
        for (double x : offsets) {
            const double x1 = x - 1.0;
            for (double fu : {reference::fade(x), 0.0, 0.625}) {
                for (double yf : offsets) {
                    const double y1 = yf - 1.0;
                    ASSERT_EQ(doubleBits(planePairAlongXOf<false>(pair, x, yf, x1, fu, 0.0)),
                              doubleBits(fromFactors(pair, x, yf, x1, fu, 0.0, false)))
                        << pair << " at " << x << ", " << yf << ", fade " << fu;
                    for (double nearRow : nearRows) {
                        ASSERT_EQ(doubleBits(planePairAlongXOf<true>(pair, x, y1, x1, fu, nearRow)),
                                  doubleBits(fromFactors(pair, x, y1, x1, fu, nearRow, true)))
                            << pair << " at " << x << ", " << y1 << ", fade " << fu << ", near row "
                            << nearRow;
                    }
                }
            }
        }
    }
    // Whole cells both ways, every packing of four codes.
    for (int32_t codes = 0; codes < 65536; ++codes) {
        for (const auto& [xf, yf] : {std::pair{0.0, 0.0}, {0.25, 0.75}, {0.3125, 0.8125}}) {
            ASSERT_EQ(doubleBits(planeNoiseInCell<OtherGradientLaneOps>(
                          {xf, yf, planeCornersOf<OtherGradientLaneOps>(codes)})),
                      doubleBits(planeNoiseInCell<LaneOpsScalar>(
                          {xf, yf, planeCornersOf<LaneOpsScalar>(codes)})))
                << codes << " at " << xf << ", " << yf;
        }
    }
}

TEST(OctaveNoiseTest, SumsHalvingAmplitudesAtDoublingFrequencies) {
    const PerlinNoise table = makePerlinNoise(0);
    const double x = 12.34, y = -5.678, z = 0.9;
    EXPECT_EQ(doubleBits(octaveNoise(makeOctaveNoise(0, 0), x, y, z)), doubleBits(0.0));
    EXPECT_EQ(octaveNoise(makeOctaveNoise(1, 0), x, y, z), noise(table, x, y, z));
    const double three =
        ((0.0 + 1.0 * noise(table, x, y, z)) + 0.5 * noise(table, 2 * x, 2 * y, 2 * z)) +
        0.25 * noise(table, 4 * x, 4 * y, 4 * z);
    EXPECT_EQ(doubleBits(octaveNoise(makeOctaveNoise(3, 0), x, y, z)), doubleBits(three));
    EXPECT_NEAR(octaveNoise(makeOctaveNoise(8, 0), 0.0, 0.15, 0.0), 0.448, 5e-4);
}

}  // namespace
}  // namespace rm
