#include "trace/build_lines.h"

#include <float.h>

#include "math/float_ops.h"
#include "simd/simd_level.h"

namespace rm::tools {
namespace {

const char* yesNo(bool v) { return v ? "yes" : "no"; }

std::string compiler() {
#if defined(__clang__)
    return "clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " __VERSION__;
#elif defined(_MSC_VER)
    return "MSVC " + std::to_string(_MSC_VER);
#else
    return "unknown";
#endif
}

const char* target() {
#if defined(__x86_64__)
    return "x86_64";
#elif defined(__i386__)
    return "i386";
#elif defined(__aarch64__)
    return "aarch64";
#elif defined(__arm__)
    return "arm";
#elif defined(__riscv) && __riscv_xlen == 64
    return "riscv64";
#elif defined(__riscv)
    return "riscv32";
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
    return "ppc64le";
#elif defined(__powerpc64__)
    return "ppc64";
#elif defined(__s390x__)
    return "s390x";
#elif defined(__wasm32__)
    return "wasm32";
#else
    return "unknown";
#endif
}

std::string compiledFor() {
    std::string features;
    [[maybe_unused]] auto add = [&](const char* name) {
        if (!features.empty()) features += ' ';
        features += name;
    };
#if defined(__SSE4_1__)
    add("sse4.1");
#endif
#if defined(__FMA__)
    add("fma");
#endif
#if defined(__AVX2__)
    add("avx2");
#endif
#if defined(__AVX512F__)
    add("avx512f");
#endif
    return features.empty() ? "baseline" : features;
}

const char* defined(bool v) { return v ? "defined" : "not defined"; }

const char* floorMethod() {
    switch (kFloorMethod) {
        case FloorMethod::Instruction:
            return "instruction";
        case FloorMethod::Truncation:
            return "truncation";
        case FloorMethod::Rounding:
            return "rounding";
    }
    return "unknown";
}

}  // namespace

std::string buildLines(const FloatEnvironmentReading& atStart) {
    const FloatEnvironmentReading now = readFloatEnvironment();
    std::string text;
    // Without trailing blanks (clang's version string ends in one): a trace is read back without
    // them, so a line that kept one would differ from itself read from a file.
    auto line = [&](const char* name, const std::string& value) {
        text += "# ";
        text += name;
        text += ": ";
        text += value.substr(0, value.find_last_not_of(" \t") + 1);
        text += '\n';
    };
    line("compiler", compiler());
    line("target", target());
    line("compiled for", compiledFor());
#if defined(FLT_EVAL_METHOD)
    line("FLT_EVAL_METHOD", std::to_string(FLT_EVAL_METHOD));
#else
    line("FLT_EVAL_METHOD", "not defined");
#endif
#if defined(__FP_FAST_FMA)
    line("__FP_FAST_FMA", defined(true));
#else
    line("__FP_FAST_FMA", defined(false));
#endif
#if defined(__FP_FAST_FMAF)
    line("__FP_FAST_FMAF", defined(true));
#else
    line("__FP_FAST_FMAF", defined(false));
#endif
#if defined(__FAST_MATH__)
    line("__FAST_MATH__", defined(true));
#else
    line("__FAST_MATH__", defined(false));
#endif
    line("product rounded before adding", std::string("float ") + yesNo(now.floatProductRounded) +
                                              ", double " + yesNo(now.doubleProductRounded));
    line("each operation rounded to its width", std::string("float ") +
                                                    yesNo(now.floatOperationRounded) + ", double " +
                                                    yesNo(now.doubleOperationRounded));
    line("rounding at start", roundingValue(atStart));
    line("subnormal results at start", subnormalResultsValue(atStart));
    line("subnormal operands at start", subnormalOperandsValue(atStart));
    line("floating-point control", floatControlValue());
    line("rounding", roundingValue(now));
    line("subnormal results", subnormalResultsValue(now));
    line("subnormal operands", subnormalOperandsValue(now));
    line("floor", floorMethod());
    line("instruction-set path", simdLevelName(bestSimdLevel()));
    return text;
}

}  // namespace rm::tools
