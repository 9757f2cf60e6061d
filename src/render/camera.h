#pragma once

#include "math/float_bits.h"
#include "math/vec3.h"

namespace rm {

// The eye: origin of every primary ray.
constexpr Vec3 kCameraOrigin = {0.0f, 5.0f, 150.0f};

constexpr int kImageWidth = 1280;
constexpr int kImageHeight = 1024;
constexpr int kRowBytes = 3 * kImageWidth;

constexpr float kFocalLength = floatFromBits(0x456ed9ec);  // 3821.62
// kFocalLength * kFocalLength in 32 bits.
constexpr float kFocalLengthSquared = 14604780.0f;
// The camera basis: right u, up v, back w, with w the unit vector from the world origin to the eye.
// c = 150 q and s = 5 q with q = 1 / sqrtf(5^2 + 150^2), all in 32 bits.
constexpr float kCameraCos = floatFromBits(0x3f7fdb9e);  // 0.99944484
constexpr float kCameraSin = floatFromBits(0x3d087521);  // 0.033314828
constexpr Vec3 kCameraRight = {-1.0f, 0.0f, 0.0f};
constexpr Vec3 kCameraUp = {0.0f, kCameraCos, -kCameraSin};
constexpr Vec3 kCameraBack = {0.0f, kCameraSin, kCameraCos};

// vy * vy + kFocalLengthSquared for the row's vy, formed once per row.
struct CameraRow {
    float vy;
    float qy;
};

CameraRow cameraRow(int y);

// World direction of the primary ray of pixel x in a row; unit length up to rounding.
Vec3 primaryDirection(const CameraRow& row, int x);

}  // namespace rm
