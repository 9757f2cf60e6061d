#pragma once

#include "math/vec3.h"
#include "render/camera.h"
#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

// A pixel's bytes in file order.
struct PixelBytes {
    unsigned char blue;
    unsigned char green;
    unsigned char red;
};

// The bytes of a colour: each channel times 255, truncated, modulo 256.
PixelBytes skyBytes(Vec3 colour);

// The bytes of a sculpture pixel from the colours of its four reflection rays.
PixelBytes sculptureBytes(Vec3 t1, Vec3 t2, Vec3 t3, Vec3 t4);

// The bytes of a ground pixel from its two reflection colours and k = |reflection . view|.
PixelBytes groundBytes(Vec3 u1, Vec3 u2, float k);

// The reflection rays of a primary ray that met a surface at distance t: four for the sculpture
// (the mirror ray and three perturbed ones), two for the ground, each starting just off the
// surface. k is the ground's weight |reflection . view|.
struct PrimaryRays {
    Material material;
    int count;
    Ray rays[4];
    float k;
};

// The primary ray's hit point at distance t along d from the eye, and the reflection rays at that
// point given the surface normal n there.
inline Vec3 primaryHitPoint(Vec3 d, float t) {
    // The eye's x is 0, so nothing is added to the hit point's x.
    return {t * d.x, t * d.y + kCameraOrigin.y, t * d.z + kCameraOrigin.z};
}
PrimaryRays primaryReflectionsAt(Vec3 d, Material material, Vec3 p, Vec3 n);

// The bytes of a surface pixel from the colours seen along its reflection rays.
PixelBytes surfaceBytes(const PrimaryRays& rays, const Vec3* colours);

// The same in two steps: the scaled channels (red in x, green in y, blue in z) that the bytes are
// truncated from, then the bytes.
Vec3 skyChannels(Vec3 colour);
Vec3 surfaceChannels(const PrimaryRays& rays, const Vec3* colours);
PixelBytes channelBytes(Vec3 scaled);

}  // namespace rm
