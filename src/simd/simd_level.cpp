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
#endif
    return SimdLevel::Scalar;
}

namespace {

constexpr const char* kLevelNames[] = {"scalar", "avx2", "avx512"};

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
    for (int i = 0; i < 3; ++i) {
        if (sameName(name, kLevelNames[i])) {
            level = static_cast<SimdLevel>(i);
            return true;
        }
    }
    return false;
}

bool setSimdLevel(SimdLevel level) {
    if (static_cast<int>(level) > static_cast<int>(bestSimdLevel())) return false;
    detail::gSimdLevel = level;
    return true;
}

}  // namespace rm
