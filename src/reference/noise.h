#pragma once

#include <stdint.h>

#include "math/float_ops.h"
#include "noise/perlin_noise.h"
#include "reference/gradient_terms.h"
#include "reference/observer.h"

namespace rm::reference {

// Improved gradient noise at a point, not rescaled; zero at every lattice point. An observer hears
// the point (x, y, z), the floors (floor.*), the lattice cell (cell.*), the fractions
// (fraction.*) and their distances from the far corner (x1, y1, z1), the fade weights (fade.*),
// each corner's hash and the two terms of its gradient (corner1..8.{hash,u,v}: corners 1, 3, 5, 7
// at the cell's low x, 2, 4, 6, 8 at its high x; 3, 4, 7, 8 at high y; 5..8 at high z), and the
// blends in the order they are formed: g1 (corner 1's gradient), l1 (its lerp along x), g3, m1
// (the lerp along y at low z), g5, l3, g7, and the value.
template <typename Observer, typename D>
D noise(Observer& observer, const PerlinNoise& table, D x, D y, D z) {
    const int32_t* p = table.perm;
    x = observer.value("x", x);
    y = observer.value("y", y);
    z = observer.value("z", z);

    // Compute noise cell coordinates and offsets.
    const D fx = observer.value("floor.x", floorD(x));
    const D fy = observer.value("floor.y", floorD(y));
    const D fz = observer.value("floor.z", floorD(z));
    const int32_t cx = plain(observer.value("cell.x", cellIndex(fx)));
    const int32_t cy = plain(observer.value("cell.y", cellIndex(fy)));
    const int32_t cz = plain(observer.value("cell.z", cellIndex(fz)));
    const D xf = observer.value("fraction.x", x - fx);
    const D yf = observer.value("fraction.y", y - fy);
    const D zf = observer.value("fraction.z", z - fz);
    const D x1 = observer.value("x1", xf - 1.0);
    const D y1 = observer.value("y1", yf - 1.0);
    const D z1 = observer.value("z1", zf - 1.0);
    const D fu = observer.value("fade.x", fade(xf));
    const D fv = observer.value("fade.y", fade(yf));
    const D fw = observer.value("fade.z", fade(zf));

    // Hash the eight corners.
    const int32_t a = p[cx] + cy;
    const int32_t aa = p[a] + cz;
    const int32_t ab = p[a + 1] + cz;
    const int32_t b = p[cx + 1] + cy;
    const int32_t ba = p[b] + cz;
    const int32_t bb = p[b + 1] + cz;
    const int32_t hashes[8] = {p[aa],     p[ba],     p[ab],     p[bb],
                               p[aa + 1], p[ba + 1], p[ab + 1], p[bb + 1]};

    // The two terms of every corner's gradient.
    GradientTermsOf<D> c[8];
    for (int i = 0; i < 8; ++i) {
        const ObservedScope<Observer> scope(observer, "corner", i + 1);
        observer.value("hash", int{hashes[i]});
        const GradientTermsOf<D> terms =
            gradientTerms(hashes[i], (i & 1) ? x1 : xf, (i & 2) ? y1 : yf, (i & 4) ? z1 : zf);
        c[i] = {observer.value("u", terms.u), observer.value("v", terms.v)};
    }

    // Interpolate; the far value of each pair is never formed on its own.
    const D g1 = observer.value("g1", c[0].u + c[0].v);
    const D l1 = observer.value("l1", lerpAlongX(c[1], g1, fu));
    const D g3 = observer.value("g3", c[2].u + c[2].v);
    const D m1 = observer.value("m1", (((c[3].u - g3) + c[3].v) * fu + (g3 - l1)) * fv + l1);
    const D g5 = observer.value("g5", c[4].u + c[4].v);
    const D l3 = observer.value("l3", lerpAlongX(c[5], g5, fu));
    const D g7 = observer.value("g7", c[6].u + c[6].v);
    return observer.value("value",
                          ((((c[7].u - g7) + c[7].v) * fu + (g7 - l3)) * fv + (l3 - m1)) * fw + m1);
}

double noise(const PerlinNoise& table, double x, double y, double z);

// Sum of `octaves` noise samples at doubling frequency and halving amplitude. An observer hears
// each octave's value (octave<i>) and, when it asks for the noise's terms, before it the terms
// of that octave's noise (octave<i>.*), then the octave's term of the sum (octave<i>.term), the
// sum so far (octave<i>.sum) and the next octave's point (octave<i>.next.*).
template <typename Observer, typename D>
D octaveNoise(Observer& observer, const OctaveNoise& table, D x, D y, D z) {
    D sum = 0.0;
    D amplitude = 1.0;
    for (int32_t i = 0; i < table.octaves; ++i) {
        D n;
        if (observer.noiseTerms()) {
            const ObservedScope<Observer> scope(observer, "octave", i);
            n = noise(observer, table.base, x, y, z);
        } else {
            n = observer.untraced(D(noise(table.base, plain(x), plain(y), plain(z))), x, y);
        }
        n = observer.value("octave", i, n);
        const ObservedScope<Observer> scope(observer, "octave", i);
        sum = observer.value("sum", sum + observer.value("term", amplitude * n));
        amplitude = amplitude * 0.5;
        x = observer.value("next.x", x + x);
        y = observer.value("next.y", y + y);
        z = observer.value("next.z", z + z);
    }
    return sum;
}

double octaveNoise(const OctaveNoise& table, double x, double y, double z);

}  // namespace rm::reference
