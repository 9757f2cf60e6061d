#pragma once

#include <stdint.h>

#include "math/float_ops.h"
#include "noise/perlin_noise.h"
#include "reference/gradient_terms.h"
#include "reference/observer.h"

namespace rm::reference {

// Improved gradient noise at a point, not rescaled; zero at every lattice point. An observer hears
// the point (x, y, z), the floors (floor.*), the lattice cell (cell.*), the fractions
// (fraction.*), the fade weights (fade.*), the two gradient terms of each corner
// (corner1..8.{u,v}: corners 1, 3, 5, 7 at the cell's low x, 2, 4, 6, 8 at its high x; 3, 4, 7, 8
// at high y; 5..8 at high z), and the blends in the order they are formed: g1 (corner 1's
// gradient), l1 (its lerp along x), g3, m1 (the lerp along y at low z), g5, l3, g7, and the value.
template <typename Observer>
double noise(Observer& observer, const PerlinNoise& table, double x, double y, double z) {
    const int32_t* p = table.perm;
    observer.value("x", x);
    observer.value("y", y);
    observer.value("z", z);

    // Compute noise cell coordinates and offsets.
    const double fx = floorD(x);
    const double fy = floorD(y);
    const double fz = floorD(z);
    observer.value("floor.x", fx);
    observer.value("floor.y", fy);
    observer.value("floor.z", fz);
    const int32_t cx = cellIndex(fx);
    const int32_t cy = cellIndex(fy);
    const int32_t cz = cellIndex(fz);
    observer.value("cell.x", int{cx});
    observer.value("cell.y", int{cy});
    observer.value("cell.z", int{cz});
    const double xf = x - fx;
    const double yf = y - fy;
    const double zf = z - fz;
    observer.value("fraction.x", xf);
    observer.value("fraction.y", yf);
    observer.value("fraction.z", zf);
    const double x1 = xf - 1.0;
    const double y1 = yf - 1.0;
    const double z1 = zf - 1.0;
    const double fu = fade(xf);
    const double fv = fade(yf);
    const double fw = fade(zf);
    observer.value("fade.x", fu);
    observer.value("fade.y", fv);
    observer.value("fade.z", fw);

    // Hash the eight corners.
    const int32_t a = p[cx] + cy;
    const int32_t aa = p[a] + cz;
    const int32_t ab = p[a + 1] + cz;
    const int32_t b = p[cx + 1] + cy;
    const int32_t ba = p[b] + cz;
    const int32_t bb = p[b + 1] + cz;

    // The two terms of every corner's gradient.
    const GradientTerms c1 = gradientTerms(p[aa], xf, yf, zf);
    const GradientTerms c2 = gradientTerms(p[ba], x1, yf, zf);
    const GradientTerms c3 = gradientTerms(p[ab], xf, y1, zf);
    const GradientTerms c4 = gradientTerms(p[bb], x1, y1, zf);
    const GradientTerms c5 = gradientTerms(p[aa + 1], xf, yf, z1);
    const GradientTerms c6 = gradientTerms(p[ba + 1], x1, yf, z1);
    const GradientTerms c7 = gradientTerms(p[ab + 1], xf, y1, z1);
    const GradientTerms c8 = gradientTerms(p[bb + 1], x1, y1, z1);
    const GradientTerms corners[8] = {c1, c2, c3, c4, c5, c6, c7, c8};
    for (int i = 0; i < 8; ++i) {
        const ObservedScope<Observer> scope(observer, "corner", i + 1);
        observer.value("u", corners[i].u);
        observer.value("v", corners[i].v);
    }

    // Interpolate; the far value of each pair is never formed on its own.
    const double g1 = c1.u + c1.v;
    observer.value("g1", g1);
    const double l1 = lerpAlongX(c2, g1, fu);
    observer.value("l1", l1);
    const double g3 = c3.u + c3.v;
    observer.value("g3", g3);
    const double m1 = (((c4.u - g3) + c4.v) * fu + (g3 - l1)) * fv + l1;
    observer.value("m1", m1);
    const double g5 = c5.u + c5.v;
    observer.value("g5", g5);
    const double l3 = lerpAlongX(c6, g5, fu);
    observer.value("l3", l3);
    const double g7 = c7.u + c7.v;
    observer.value("g7", g7);
    const double n = ((((c8.u - g7) + c8.v) * fu + (g7 - l3)) * fv + (l3 - m1)) * fw + m1;
    observer.value("value", n);
    return n;
}

double noise(const PerlinNoise& table, double x, double y, double z);

// Sum of `octaves` noise samples at doubling frequency and halving amplitude. An observer hears
// each octave's value (octave<i>) and, when it asks for the noise's terms, before it the terms
// of that octave's noise (octave<i>.*).
template <typename Observer>
double octaveNoise(Observer& observer, const OctaveNoise& table, double x, double y, double z) {
    double sum = 0.0;
    double amplitude = 1.0;
    for (int32_t i = 0; i < table.octaves; ++i) {
        double n;
        if (observer.noiseTerms()) {
            const ObservedScope<Observer> scope(observer, "octave", i);
            n = noise(observer, table.base, x, y, z);
        } else {
            n = noise(table.base, x, y, z);
        }
        observer.value("octave", i, n);
        sum = sum + amplitude * n;
        amplitude = amplitude * 0.5;
        x = x + x;
        y = y + y;
        z = z + z;
    }
    return sum;
}

double octaveNoise(const OctaveNoise& table, double x, double y, double z);

}  // namespace rm::reference
