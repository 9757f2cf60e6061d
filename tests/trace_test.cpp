// Reflection rays: marched, reflected at each surface down to depth 5, ending in the sky.
#include "reference/trace.h"

#include <gtest/gtest.h>

#include "math/float_bits.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "render/kernel_table.h"
#include "render/sky.h"
#include "simd/simd_level.h"

namespace rm {
namespace {

using reference::march;
using reference::SceneFields;
using reference::trace;

// A point inside capsule 3, 0.3 off its axis (frame point (-2.7, 0, -10)), and the world
// direction of that axis pointing down: every reflection inside the tube runs along the axis
// and starts inside the tube again.
constexpr Vec3 kInsideTube = {1.62634552f, 2.96540809f, -4.56632805f};
constexpr Vec3 kDownTheTube = {-0.0f, -0.83867055f, -0.54463905f};

void expectSameBits(Vec3 actual, Vec3 expected) {
    EXPECT_EQ(floatBits(actual.x), floatBits(expected.x));
    EXPECT_EQ(floatBits(actual.y), floatBits(expected.y));
    EXPECT_EQ(floatBits(actual.z), floatBits(expected.z));
}

TEST(TraceTest, DepthFiveIsTheSkyEvenInFrontOfASurface) {
    const SceneFields scene;
    const struct {
        Vec3 origin;
        Vec3 direction;
    } rays[] = {{kInsideTube, kDownTheTube}, {{0, 0, 0}, {0, -1, 0}}, {{0, 0, 20}, {0, 0, -1}}};
    for (const auto& ray : rays) {
        ASSERT_NE(march(scene, ray.origin, ray.direction).material, Material::None);
        expectSameBits(trace(5, ray.origin, ray.direction),
                       skyColor(kPlainKernels, ray.origin, ray.direction));
    }
}

TEST(TraceTest, AMissIsTheSkyOfTheRayItself) {
    const SceneFields scene;
    const Vec3 origin = {0, 50, 0};
    for (const Vec3 d : {Vec3{0, 1, 0}, Vec3{0.6f, 0.0f, 0.8f}, Vec3{0.0f, 0.6f, -0.8f}}) {
        ASSERT_EQ(march(scene, origin, d).material, Material::None);
        for (int depth = 1; depth <= 4; ++depth) {
            SCOPED_TRACE(depth);
            expectSameBits(trace(depth, origin, d), skyColor(kPlainKernels, origin, d));
        }
    }
}

TEST(TraceTest, EachSculptureHitMapsTheColourBy0Point8AndAdds0Point08) {
    ASSERT_LT(reference::sculptureDistance(kInsideTube), -0.5f);
    // The chain ends at depth 5 in the sky of a downward ray: exactly 0.3.
    float expected = 0.3f;
    for (int depth = 5; depth >= 1; --depth) {
        SCOPED_TRACE(depth);
        expectSameBits(trace(depth, kInsideTube, kDownTheTube), {expected, expected, expected});
        expected = expected * 0.8f + 0.08f;
    }
}

TEST(TraceTest, AGroundHitTintsOnlyTheBlueChannel) {
    const SceneFields scene;
    // Straight down onto the terrain; at depth 4 the reflection returns a grey sky colour S, so
    // the result is (k S, k S, k S + (1 - k) 0.2).
    for (const Vec3 origin : {Vec3{0, 0, 0}, Vec3{30, 0, -40}, Vec3{-200, 0, 100}}) {
        ASSERT_EQ(march(scene, origin, {0, -1, 0}).material, Material::Ground);
        const Vec3 c = trace(4, origin, {0, -1, 0});
        EXPECT_EQ(floatBits(c.x), floatBits(c.y));
        EXPECT_GT(c.z, c.x);
        EXPECT_LE(c.z - c.x, 0.2f + 1e-6f);
    }
}

}  // namespace
}  // namespace rm
