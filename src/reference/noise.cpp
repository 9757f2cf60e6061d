#include "reference/noise.h"

#include "math/float_ops.h"
#include "reference/gradient_terms.h"

namespace rm::reference {

double noise(const PerlinNoise& table, double x, double y, double z) {
    const int32_t* p = table.perm;

    // Compute noise cell coordinates and offsets.
    const double fx = floorD(x);
    const double fy = floorD(y);
    const double fz = floorD(z);
    const int32_t cx = cellIndex(fx);
    const int32_t cy = cellIndex(fy);
    const int32_t cz = cellIndex(fz);
    const double xf = x - fx;
    const double yf = y - fy;
    const double zf = z - fz;
    const double x1 = xf - 1.0;
    const double y1 = yf - 1.0;
    const double z1 = zf - 1.0;
    const double fu = fade(xf);
    const double fv = fade(yf);
    const double fw = fade(zf);

    // Hash the eight corners.
    const int32_t a = p[cx] + cy;
    const int32_t aa = p[a] + cz;
    const int32_t ab = p[a + 1] + cz;
    const int32_t b = p[cx + 1] + cy;
    const int32_t ba = p[b] + cz;
    const int32_t bb = p[b + 1] + cz;

    // Interpolate; the far value of each pair is never formed on its own.
    const GradientTerms c1 = gradientTerms(p[aa], xf, yf, zf);
    const GradientTerms c3 = gradientTerms(p[ab], xf, y1, zf);
    const GradientTerms c5 = gradientTerms(p[aa + 1], xf, yf, z1);
    const GradientTerms c7 = gradientTerms(p[ab + 1], xf, y1, z1);
    const double g1 = c1.u + c1.v;
    const double l1 = lerpAlongX(gradientTerms(p[ba], x1, yf, zf), g1, fu);
    const double g3 = c3.u + c3.v;
    const GradientTerms c4 = gradientTerms(p[bb], x1, y1, zf);
    const double m1 = (((c4.u - g3) + c4.v) * fu + (g3 - l1)) * fv + l1;
    const double g5 = c5.u + c5.v;
    const double l3 = lerpAlongX(gradientTerms(p[ba + 1], x1, yf, z1), g5, fu);
    const double g7 = c7.u + c7.v;
    const GradientTerms c8 = gradientTerms(p[bb + 1], x1, y1, z1);
    return ((((c8.u - g7) + c8.v) * fu + (g7 - l3)) * fv + (l3 - m1)) * fw + m1;
}

double octaveNoise(const OctaveNoise& table, double x, double y, double z) {
    NoObserver none;
    return octaveNoise(none, table, x, y, z);
}

}  // namespace rm::reference
