#include "render/camera.h"

#include "math/float_ops.h"

namespace rm {

CameraRow cameraRow(int y) {
    const float vy = static_cast<float>(y) - 512.0f;
    return {vy, vy * vy + kFocalLengthSquared};
}

Vec3 primaryDirection(const CameraRow& row, int x) {
    const float vx = static_cast<float>(x) - 640.0f;
    const float inv = 1.0f / sqrtF(vx * vx + row.qy);
    const float dx = vx * inv;
    const float dy = row.vy * inv;
    const float dz = inv * -kFocalLength;
    // The zero entries of the basis stay in the sums: they can change the sign of a zero.
    const Vec3 u = kCameraRight;
    const Vec3 v = kCameraUp;
    const Vec3 w = kCameraBack;
    return {(v.x * dy + w.x * dz) + u.x * dx, (v.y * dy + w.y * dz) + u.y * dx,
            (v.z * dy + w.z * dz) + u.z * dx};
}

}  // namespace rm
