#pragma once

#include "math/float_evaluation.h"

namespace rm {

// 4x4 matrix of 32-bit floats, column-major: the element in row r, column c sits at index 4c + r.
struct Mat4 {
    float m[16];
};

// a x b, each element summed over k = 0..3 in ascending order.
Mat4 mat4Multiply(const Mat4& a, const Mat4& b);

}  // namespace rm
