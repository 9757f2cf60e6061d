#pragma once

#include "math/float_evaluation.h"

namespace rm {

// 4x4 matrix of 32-bit floats, column-major: the element in row r, column c sits at index 4c + r.
struct Mat4 {
    float m[16];
};

}  // namespace rm
