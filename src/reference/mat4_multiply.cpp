#include "reference/mat4_multiply.h"

namespace rm::reference {

Mat4 mat4Multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            out.m[4 * c + r] = ((a.m[r] * b.m[4 * c] + a.m[4 + r] * b.m[4 * c + 1]) +
                                a.m[8 + r] * b.m[4 * c + 2]) +
                               a.m[12 + r] * b.m[4 * c + 3];
        }
    }
    return out;
}

}  // namespace rm::reference
