#pragma once

// One Advanced SIMD register of four floats, for the capsule lanes.
#include <arm_neon.h>

namespace rm::neon {

struct WideNeon {
    static constexpr int kWidth = 4;
    using F = float32x4_t;
    static F set(float v) { return vdupq_n_f32(v); }
    static F load(const float* p) { return vld1q_f32(p); }
    static F add(F a, F b) { return vaddq_f32(a, b); }
    static F sub(F a, F b) { return vsubq_f32(a, b); }
    static F mul(F a, F b) { return vmulq_f32(a, b); }
    static F sqrt(F a) { return vsqrtq_f32(a); }
    // b where b < a, else a: the running minimum's test, for the NaN-free lanes it serves (FMIN
    // would order -0 below +0).
    static F min(F a, F b) { return vbslq_f32(vcltq_f32(b, a), b, a); }
    static F clamp(F t, F length) {
        const F c = vreinterpretq_f32_u32(
            vandq_u32(vcleq_f32(vdupq_n_f32(0.0f), t), vreinterpretq_u32_f32(t)));
        return vbslq_f32(vcleq_f32(c, length), c, length);
    }
    static float reduceMin(F v) {
        F m = min(v, vcombine_f32(vget_high_f32(v), vget_high_f32(v)));
        m = min(m, vdupq_laneq_f32(m, 1));
        return vgetq_lane_f32(m, 0);
    }
};

}  // namespace rm::neon
