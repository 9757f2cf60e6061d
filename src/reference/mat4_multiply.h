#pragma once

#include "math/mat4.h"

namespace rm::reference {

// a x b, each element summed over k = 0..3 in ascending order.
Mat4 mat4Multiply(const Mat4& a, const Mat4& b);

}  // namespace rm::reference
