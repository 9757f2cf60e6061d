#pragma once

// One WebAssembly SIMD register of four floats, for the capsule lanes.
#include <wasm_simd128.h>

namespace rm {

struct WideWasm {
    static constexpr int kWidth = 4;
    using F = v128_t;
    static F set(float v) { return wasm_f32x4_splat(v); }
    static F load(const float* p) { return wasm_v128_load(p); }
    static F add(F a, F b) { return wasm_f32x4_add(a, b); }
    static F sub(F a, F b) { return wasm_f32x4_sub(a, b); }
    static F mul(F a, F b) { return wasm_f32x4_mul(a, b); }
    static F sqrt(F a) { return wasm_f32x4_sqrt(a); }
    // b where b < a, else a: the running minimum's test, for the NaN-free lanes it serves.
    static F min(F a, F b) { return wasm_f32x4_pmin(a, b); }
    static F clamp(F t, F length) {
        const F c = wasm_v128_and(wasm_f32x4_le(wasm_f32x4_splat(0.0f), t), t);
        return wasm_v128_bitselect(c, length, wasm_f32x4_le(c, length));
    }
    static float reduceMin(F v) {
        F m = wasm_f32x4_pmin(v, wasm_i32x4_shuffle(v, v, 2, 3, 2, 3));
        m = wasm_f32x4_pmin(m, wasm_i32x4_shuffle(m, m, 1, 1, 1, 1));
        return wasm_f32x4_extract_lane(m, 0);
    }
};

}  // namespace rm
