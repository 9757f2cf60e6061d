#pragma once

// One float as a register of one lane, for the capsule lanes without vector registers. Its
// minimum keeps the running minimum of a loop that replaces m by d unless m <= d, so that NaNs are
// taken in order.
#include "math/square_root.h"

namespace rm {

struct WideScalar {
    static constexpr int kWidth = 1;
    using F = float;
    static F set(float v) { return v; }
    static F load(const float* p) { return *p; }
    static F add(F a, F b) { return a + b; }
    static F sub(F a, F b) { return a - b; }
    static F mul(F a, F b) { return a * b; }
    static F sqrt(F a) { return rm::sqrtF(a); }
    static F min(F m, F d) { return m <= d ? m : d; }
    static F clamp(F t, F length) {
        const F c = 0.0f <= t ? t : 0.0f;
        return c <= length ? c : length;
    }
    static float reduceMin(F v) { return v; }
};

}  // namespace rm
