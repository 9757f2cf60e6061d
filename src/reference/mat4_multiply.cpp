#include "reference/mat4_multiply.h"

namespace rm::reference {

Mat4 mat4Multiply(const Mat4& a, const Mat4& b) {
    NoObserver none;
    Mat4 out{};
    mat4Multiply(none, a, b, out.m);
    return out;
}

}  // namespace rm::reference
