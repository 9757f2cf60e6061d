#include "simd/simd_level.h"

#include <stdint.h>

namespace rm {
namespace detail {
SimdLevel gSimdLevel = SimdLevel::Scalar;
}

#if defined(RAYMARCH_HAVE_X86_KERNELS)
namespace {

// The processor's own answers, read directly: the compiler's __builtin_cpu_supports needs its
// support library initialised by a constructor, which a program without the C library's start-up
// never runs.
struct CpuidRegisters {
    uint32_t a, b, c, d;
};

CpuidRegisters cpuid(uint32_t leaf, uint32_t subleaf) {
    CpuidRegisters r;
    asm("cpuid" : "=a"(r.a), "=b"(r.b), "=c"(r.c), "=d"(r.d) : "a"(leaf), "c"(subleaf));
    return r;
}

// The register states the operating system saves on a switch (XCR0); readable only where cpuid
// reports OSXSAVE.
uint64_t savedStates() {
    uint32_t low, high;
    asm("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<uint64_t>(high) << 32) | low;
}

constexpr uint32_t kOsxsave = 1u << 27;                       // leaf 1, ecx
constexpr uint32_t kAvx = 1u << 28;                           // leaf 1, ecx
constexpr uint32_t kAvx2 = 1u << 5;                           // leaf 7, ebx
constexpr uint32_t kAvx512 = 1u << 16 | 1u << 17 | 1u << 31;  // leaf 7, ebx: F, DQ, VL
constexpr uint64_t kAvxStates = 0x6;                          // SSE and AVX registers
constexpr uint64_t kAvx512States = 0xe6;  // and the mask and upper ZMM registers

}  // namespace
#endif

SimdLevel bestSimdLevel() {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    if (cpuid(0, 0).a < 7) return SimdLevel::Scalar;
    const CpuidRegisters basic = cpuid(1, 0);
    if ((basic.c & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return SimdLevel::Scalar;
    const uint64_t states = savedStates();
    const CpuidRegisters extended = cpuid(7, 0);
    if ((states & kAvx512States) == kAvx512States && (extended.b & kAvx512) == kAvx512) {
        return SimdLevel::Avx512;
    }
    if ((states & kAvxStates) == kAvxStates && (extended.b & kAvx2) != 0) return SimdLevel::Avx2;
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
