#pragma once

#include "math/float_evaluation.h"

namespace rm {

// Correctly rounded IEEE square root and floor; the builtins keep the renderer off the C library's
// maths, and every target implements both exactly.
inline float sqrtF(float v) { return __builtin_sqrtf(v); }
inline double sqrtD(double v) { return __builtin_sqrt(v); }
// Plain x86-64 has no rounding instruction, and compilers expand a floor there into a long
// sequence or a call into the C library. Truncation, the conversion back and a step down where
// that went up give the same bits, the sign of a zero included.
inline double floorD(double v) {
#if defined(__x86_64__) && !defined(__SSE4_1__)
    if (!(__builtin_fabs(v) < 0x1p52)) return v;  // integral already, infinite or NaN
    const double truncated = static_cast<double>(static_cast<long long>(v));
    return __builtin_copysign(truncated - (truncated > v ? 1.0 : 0.0), v);
#else
    return __builtin_floor(v);
#endif
}
inline float absF(float v) { return __builtin_fabsf(v); }

}  // namespace rm
