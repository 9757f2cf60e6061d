#include "simd/simd_level.h"

#include <stdint.h>

namespace rm {
namespace {

#if defined(__x86_64__)
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

constexpr uint32_t kOsxsave = 1u << 27;  // leaf 1, ecx

// Whether cpuid reports every bit of leaf1Ecx in leaf 1's ecx and of leaf7Ebx in leaf 7's ebx,
// and the operating system saves every register state of `states`.
[[maybe_unused]] bool x86Has(uint32_t leaf1Ecx, uint32_t leaf7Ebx, uint64_t states) {
    if (cpuid(0, 0).a < 7) return false;
    const uint32_t ecx = cpuid(1, 0).c;
    if ((ecx & kOsxsave) == 0 || (ecx & leaf1Ecx) != leaf1Ecx) return false;
    return (savedStates() & states) == states && (cpuid(7, 0).b & leaf7Ebx) == leaf7Ebx;
}
#endif

struct LevelNames {
    const char* name;
    const char* display;
};

#define RAYMARCH_LEVEL_NAMES(name, level, display) {#name, display},
constexpr LevelNames kLevelNames[kSimdLevelCount] = {
    RAYMARCH_FOR_EACH_SIMD_LEVEL(RAYMARCH_LEVEL_NAMES)};
#undef RAYMARCH_LEVEL_NAMES

bool sameName(const char* a, const char* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

bool simdLevelRuns(SimdLevel level) {
#define RAYMARCH_PROBE_LEVEL(level, probe) \
    case SimdLevel::level:                 \
        return probe;
    switch (level) {
        case SimdLevel::Scalar:
            return true;
            RAYMARCH_FOR_EACH_SIMD_PROBE(RAYMARCH_PROBE_LEVEL)
        default:
            return false;
    }
#undef RAYMARCH_PROBE_LEVEL
}

SimdLevel bestSimdLevel() {
    SimdLevel best = SimdLevel::Scalar;
    for (const SimdLevel level : kBuiltSimdLevels)
        if (simdLevelRuns(level)) best = level;
    return best;
}

const char* simdLevelName(SimdLevel level) { return kLevelNames[static_cast<int>(level)].name; }

const char* simdLevelDisplayName(SimdLevel level) {
    return kLevelNames[static_cast<int>(level)].display;
}

bool simdLevelFromName(const char* name, SimdLevel& level) {
    for (int i = 0; i < kSimdLevelCount; ++i) {
        if (sameName(name, kLevelNames[i].name)) {
            level = static_cast<SimdLevel>(i);
            return true;
        }
    }
    return false;
}

}  // namespace rm
