#include "render/reflection.h"

#include "math/float_ops.h"
#include "render/shading_constants.h"

namespace rm {

Reflection reflectAt(const Ray& ray, Material material, Vec3 p, Vec3 n) {
    const Vec3 d = ray.direction;
    const Vec3 r = reflect(d, n);
    SurfaceTint tint = {material, 0.0f, 0.0f};
    if (material != Material::Sculpture) {
        // The ground's weight: the z term first, then x, then y.
        tint.k = absF((d.z * r.z + d.x * r.x) + d.y * r.y);
        tint.b = (1.0f - tint.k) * kGroundBlueTint;
    }
    return {{liftOff(p, r), r}, tint};
}

Vec3 applyTint(const SurfaceTint& tint, Vec3 c) {
    if (tint.material == Material::Sculpture) {
        return {c.x * kSculptureReflectance + kSculptureGlow,
                c.y * kSculptureReflectance + kSculptureGlow,
                c.z * kSculptureReflectance + kSculptureGlow};
    }
    return {tint.k * c.x, tint.k * c.y, tint.k * c.z + tint.b};
}

}  // namespace rm
