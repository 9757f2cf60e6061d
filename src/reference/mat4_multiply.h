#pragma once

#include "math/mat4.h"
#include "reference/observer.h"

namespace rm::reference {

// a x b, each element summed over k = 0..3 in ascending order, into out (column-major, as Mat4).
// An observer hears the elements of a (a.m<i>) and b (b.m<i>), then each element of the product
// (m<i>).
template <typename Observer>
void mat4Multiply(Observer& observer, const Mat4& a, const Mat4& b, FloatOf<Observer> out[16]) {
    using F = FloatOf<Observer>;
    F x[16];
    F y[16];
    for (int i = 0; i < 16; ++i)
        x[i] = observer.value("a.m", i, F(a.m[i]));
    for (int i = 0; i < 16; ++i)
        y[i] = observer.value("b.m", i, F(b.m[i]));
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            out[4 * c + r] = observer.value(
                "m", 4 * c + r,
                ((x[r] * y[4 * c] + x[4 + r] * y[4 * c + 1]) + x[8 + r] * y[4 * c + 2]) +
                    x[12 + r] * y[4 * c + 3]);
        }
    }
}

Mat4 mat4Multiply(const Mat4& a, const Mat4& b);

}  // namespace rm::reference
