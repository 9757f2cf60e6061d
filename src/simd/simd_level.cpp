#include "simd/simd_level.h"

namespace rm {
namespace detail {
SimdLevel gSimdLevel = SimdLevel::Scalar;
}

SimdLevel bestSimdLevel() {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq")) {
        return SimdLevel::Avx512;
    }
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#elif defined(RAYMARCH_HAVE_NEON_KERNELS)
    // Every AArch64 processor has Advanced SIMD.
    return SimdLevel::Neon;
#elif defined(RAYMARCH_HAVE_SIMD128_KERNELS)
    // WebAssembly has no run-time test for its vector instructions: a module built with them
    // runs only where the host has them.
    return SimdLevel::Simd128;
#endif
    return SimdLevel::Scalar;
}

namespace {

constexpr const char* kLevelNames[kSimdLevelCount] = {"scalar", "avx2", "avx512", "neon",
                                                      "simd128"};

bool sameName(const char* a, const char* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

const char* simdLevelName(SimdLevel level) { return kLevelNames[static_cast<int>(level)]; }

bool simdLevelFromName(const char* name, SimdLevel& level) {
    for (int i = 0; i < kSimdLevelCount; ++i) {
        if (sameName(name, kLevelNames[i])) {
            level = static_cast<SimdLevel>(i);
            return true;
        }
    }
    return false;
}

bool setSimdLevel(SimdLevel level) {
    // The plain level runs everywhere; AVX2 also wherever AVX-512 does; any other level only on
    // the processors whose best it is.
    const SimdLevel best = bestSimdLevel();
    if (level != SimdLevel::Scalar && level != best &&
        !(level == SimdLevel::Avx2 && best == SimdLevel::Avx512)) {
        return false;
    }
    detail::gSimdLevel = level;
    return true;
}

}  // namespace rm
