#pragma once

#include "math/float_evaluation.h"

namespace rm {

// Correctly rounded IEEE square root and floor; the builtins keep the renderer off the C library's
// maths, and every target implements both exactly.
inline float sqrtF(float v) { return __builtin_sqrtf(v); }
inline double sqrtD(double v) { return __builtin_sqrt(v); }
inline double floorD(double v) { return __builtin_floor(v); }
inline float absF(float v) { return __builtin_fabsf(v); }

}  // namespace rm
