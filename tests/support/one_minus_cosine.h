#pragma once

namespace rmtest {

// 1 - cos(m) = 2 sin^2(m / 2), the sine by its Taylor series, in the wide type Q; accurate to
// about 2^-105 on [0, pi] in binary128. The arc cosine references decide which side of a rounding
// midpoint m the exact acos(x) lies on with it: acos(x) > m exactly when 1 - x > 1 - cos(m).
template <typename Q>
Q oneMinusCosine(Q m) {
    const Q h = m / 2;
    const Q h2 = h * h;
    Q term = h;
    Q sine = h;
    for (int k = 1; k < 40; ++k) {
        term = -term * h2 / Q(2 * k * (2 * k + 1));
        sine += term;
    }
    return 2 * sine * sine;
}

}  // namespace rmtest
