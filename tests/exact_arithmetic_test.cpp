// The trace's integer arithmetic against this machine's floating-point unit, bit for bit, on
// operands drawn to reach the hard cases, in each rounding mode and, on x86, with the MXCSR's
// flush-to-zero and denormals-are-zero bits set as the environment says.
#include "trace/exact_arithmetic.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "math/float_bits.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define RAYMARCH_TEST_MXCSR 1
#endif

namespace {

using rm::tools::ArithmeticEnvironment;
using rm::tools::RoundingMode;

// ---- The hardware's environment

struct SavedEnvironment {
    int rounding;
    unsigned control;
};

int hardwareRounding(RoundingMode r) {
    switch (r) {
        case RoundingMode::Nearest:
            return FE_TONEAREST;
        case RoundingMode::Upward:
            return FE_UPWARD;
        case RoundingMode::Downward:
            return FE_DOWNWARD;
        case RoundingMode::TowardZero:
            return FE_TOWARDZERO;
    }
    return FE_TONEAREST;
}

// The memory barriers keep the hardware operations, which read their operands from memory and
// write their results there, between the two changes of environment.
SavedEnvironment enterEnvironment(const ArithmeticEnvironment& e) {
    SavedEnvironment saved{fegetround(), 0};
#ifdef RAYMARCH_TEST_MXCSR
    saved.control = _mm_getcsr();
    unsigned control = saved.control & ~((1u << 15) | (1u << 6));
    if (e.flushResults) control |= 1u << 15;
    if (e.zeroOperands) control |= 1u << 6;
    _mm_setcsr(control);
#endif
    fesetround(hardwareRounding(e.rounding));
    asm volatile("" ::: "memory");
    return saved;
}

void leaveEnvironment(const SavedEnvironment& saved) {
    asm volatile("" ::: "memory");
    fesetround(saved.rounding);
#ifdef RAYMARCH_TEST_MXCSR
    _mm_setcsr(saved.control);
#endif
}

std::string describe(const ArithmeticEnvironment& e) {
    const char* names[] = {"Nearest", "Upward", "Downward", "TowardZero"};
    return std::string(names[static_cast<int>(e.rounding)]) + (e.flushResults ? "Flush" : "") +
           (e.zeroOperands ? "ZeroOperands" : "");
}

}  // namespace

namespace rm::tools {
// Names the environment in test names and messages, rather than its bytes.
void PrintTo(const ArithmeticEnvironment& e, std::ostream* out) { *out << describe(e); }
}  // namespace rm::tools

namespace {

// ---- Operands

struct Random {
    uint64_t state;
};

uint64_t next(Random& r) {
    r.state += 0x9e3779b97f4a7c15u;
    uint64_t z = r.state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}
int below(Random& r, int n) { return static_cast<int>(next(r) % static_cast<uint64_t>(n)); }

// The layout of a float or double, by its width.
template <typename Bits>
struct Layout {
    static constexpr int kFraction = sizeof(Bits) == 4 ? 23 : 52;
    static constexpr int kPrecision = kFraction + 1;
    static constexpr int kMaxBiased = sizeof(Bits) == 4 ? 255 : 2047;
    static constexpr int kBias = kMaxBiased / 2;
    static constexpr uint64_t kFractionMask = (uint64_t{1} << kFraction) - 1;
};

template <typename Bits>
Bits compose(bool negative, int biased, uint64_t fraction) {
    using L = Layout<Bits>;
    if (biased < 0) biased = 0;
    if (biased > L::kMaxBiased - 1) biased = L::kMaxBiased - 1;
    return static_cast<Bits>(
        (negative ? uint64_t{1} << (L::kFraction + (sizeof(Bits) == 4 ? 8 : 11)) : 0) |
        uint64_t(biased) << L::kFraction | (fraction & L::kFractionMask));
}

template <typename Bits>
int biasedOf(Bits b) {
    return static_cast<int>((b >> Layout<Bits>::kFraction) & Layout<Bits>::kMaxBiased);
}

template <typename Bits>
bool isNaN(Bits b) {
    using L = Layout<Bits>;
    return biasedOf(b) == L::kMaxBiased && (b & L::kFractionMask) != 0;
}

// Fractions that give exact products, ties, and runs of ones that carry.
template <typename Bits>
uint64_t randomFraction(Random& r) {
    const int f = Layout<Bits>::kFraction;
    const uint64_t mask = Layout<Bits>::kFractionMask;
    const uint64_t x = next(r) & mask;
    const uint64_t low = (uint64_t{1} << below(r, f + 1)) - 1;
    switch (below(r, 8)) {
        case 0:
            return x & ~low;
        case 1:
            return x | low;
        case 2:
            return low;
        case 3:
            return mask ^ low;
        case 4:
            return (x & ~low) | (low + 1) / 2;
        default:
            return x;
    }
}

// Mostly near one, often at the edges of the range, now and then anything at all.
template <typename Bits>
int randomBiased(Random& r) {
    using L = Layout<Bits>;
    switch (below(r, 10)) {
        case 0:
            return below(r, L::kMaxBiased + 1);
        case 1:
            return 0;
        case 2:
            return 1 + below(r, 3);
        case 3:
            return L::kMaxBiased - 1 - below(r, 3);
        default:
            return L::kBias - 8 + below(r, 17);
    }
}

template <typename Bits>
Bits randomOperand(Random& r) {
    const int kind = below(r, 64);
    const bool negative = (next(r) & 1) != 0;
    if (kind == 0) return compose<Bits>(negative, 0, 0);
    // Infinities, and NaNs quiet or signalling.
    if (kind <= 2)
        return static_cast<Bits>(compose<Bits>(negative, 0, kind == 1 ? 0 : next(r) | 1) |
                                 uint64_t(Layout<Bits>::kMaxBiased) << Layout<Bits>::kFraction);
    return compose<Bits>(negative, randomBiased<Bits>(r), randomFraction<Bits>(r));
}

// A second operand whose exponent is within a little more than the precision of the first's, or
// the first's neighbour of either sign, for cancellation.
template <typename Bits>
Bits sumPartner(Random& r, Bits a) {
    using L = Layout<Bits>;
    const bool negative = (next(r) & 1) != 0;
    switch (below(r, 4)) {
        case 0:
            return randomOperand<Bits>(r);
        case 1: {
            const Bits near = static_cast<Bits>(a + static_cast<Bits>(below(r, 9)) - 4);
            return static_cast<Bits>(negative ? near ^ (Bits{1} << (sizeof(Bits) * 8 - 1)) : near);
        }
        default:
            return compose<Bits>(negative,
                                 biasedOf(a) + below(r, 2 * L::kPrecision + 7) - L::kPrecision - 3,
                                 randomFraction<Bits>(r));
    }
}

// A result exponent near one, near overflow, or down in the subnormals.
template <typename Bits>
int targetBiased(Random& r) {
    using L = Layout<Bits>;
    switch (below(r, 3)) {
        case 0:
            return L::kBias - 2 + below(r, 5);
        case 1:
            return L::kMaxBiased - 3 + below(r, 5);
        default:
            return 2 - below(r, L::kPrecision + 4);
    }
}

template <typename Bits>
Bits productPartner(Random& r, Bits a) {
    using L = Layout<Bits>;
    if (below(r, 4) == 0) return randomOperand<Bits>(r);
    return compose<Bits>((next(r) & 1) != 0, targetBiased<Bits>(r) - biasedOf(a) + L::kBias,
                         randomFraction<Bits>(r));
}

template <typename Bits>
Bits quotientPartner(Random& r, Bits a) {
    using L = Layout<Bits>;
    if (below(r, 4) == 0) return randomOperand<Bits>(r);
    return compose<Bits>((next(r) & 1) != 0, biasedOf(a) - targetBiased<Bits>(r) + L::kBias,
                         randomFraction<Bits>(r));
}

float valueOf(uint32_t b) { return rm::floatFromBits(b); }
double valueOf(uint64_t b) { return rm::doubleFromBits(b); }
uint32_t bitsOf(float v) { return rm::floatBits(v); }
uint64_t bitsOf(double v) { return rm::doubleBits(v); }

// An addend of the product's size, or the product itself, rounded here and nudged, negated.
template <typename Bits>
Bits addendFor(Random& r, Bits a, Bits b) {
    using L = Layout<Bits>;
    const bool negative = (next(r) & 1) != 0;
    switch (below(r, 4)) {
        case 0:
            return randomOperand<Bits>(r);
        case 1: {
            const Bits p = bitsOf(-(valueOf(a) * valueOf(b)));
            return static_cast<Bits>(p + static_cast<Bits>(below(r, 5)) - 2);
        }
        default:
            return compose<Bits>(negative,
                                 biasedOf(a) + biasedOf(b) - L::kBias +
                                     below(r, 3 * L::kPrecision + 9) - 2 * L::kPrecision - 4,
                                 randomFraction<Bits>(r));
    }
}

// Squares of short significands are exact; their neighbours have roots just off a float.
template <typename Bits>
Bits radicand(Random& r) {
    using L = Layout<Bits>;
    if (below(r, 3) != 0) {
        const Bits a = randomOperand<Bits>(r);
        return below(r, 8) == 0 ? a : static_cast<Bits>(a & ~(Bits{1} << (sizeof(Bits) * 8 - 1)));
    }
    const uint64_t shortFraction =
        next(r) & L::kFractionMask & ~(L::kFractionMask >> (L::kFraction / 2));
    const Bits m = compose<Bits>(false, L::kBias - 40 + below(r, 81), shortFraction);
    const Bits square = bitsOf(valueOf(m) * valueOf(m));
    return static_cast<Bits>(square + static_cast<Bits>(below(r, 5)) - 2);
}

// ---- Comparison

struct Operands64 {
    uint64_t a, b, c;
};

// Runs the hardware over every case in the environment, then the exact arithmetic outside it,
// and reports the first few disagreements. NaNs agree with NaNs whatever their bits.
template <typename Bits, typename Hardware, typename Exact>
void compare(const char* name, const std::vector<Operands64>& cases,
             const ArithmeticEnvironment& environment, Hardware hardware, Exact exact) {
    std::vector<Bits> expected(cases.size());
    const SavedEnvironment saved = enterEnvironment(environment);
    for (size_t i = 0; i < cases.size(); ++i)
        expected[i] = hardware(cases[i]);
    leaveEnvironment(saved);
    int failures = 0;
    for (size_t i = 0; i < cases.size() && failures < 8; ++i) {
        const Bits got = exact(cases[i], environment);
        const bool agree = isNaN(expected[i]) ? isNaN(got) : got == expected[i];
        if (!agree) {
            ++failures;
            ADD_FAILURE() << name << " in " << describe(environment) << std::hex << " of "
                          << cases[i].a << ", " << cases[i].b << ", " << cases[i].c << ": exact "
                          << uint64_t(got) << ", hardware " << uint64_t(expected[i]);
        }
    }
}

constexpr int kCases = 200000;

template <typename Bits, typename Draw>
std::vector<Operands64> draw(uint64_t seed, Draw drawOne) {
    Random r{seed};
    std::vector<Operands64> cases(kCases);
    for (Operands64& c : cases)
        c = drawOne(r);
    return cases;
}

class AgainstHardware : public testing::TestWithParam<ArithmeticEnvironment> {
protected:
    void SetUp() override {
#ifndef RAYMARCH_TEST_MXCSR
        if (GetParam().flushResults || GetParam().zeroOperands)
            GTEST_SKIP() << "flushing and zero operands are set through x86's MXCSR";
#endif
    }
    uint64_t seed(uint64_t operation) const {
        const ArithmeticEnvironment& e = GetParam();
        return operation * 1000 + static_cast<uint64_t>(e.rounding) * 4 + e.flushResults * 2 +
               e.zeroOperands;
    }
};

// Volatile operands keep the compiler from evaluating any operation where the environment is
// not the one asked for.
template <typename Bits>
void sumsAndDifferences(const ArithmeticEnvironment& e, uint64_t seed) {
    using Value = decltype(valueOf(Bits{}));
    const auto cases = draw<Bits>(seed, [](Random& r) {
        const Bits a = randomOperand<Bits>(r);
        return Operands64{a, sumPartner<Bits>(r, a), 0};
    });
    compare<Bits>(
        "sum", cases, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a)), b = valueOf(Bits(c.b));
            return bitsOf(Value(a + b));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactSum(Bits(c.a), Bits(c.b), env);
        });
    compare<Bits>(
        "difference", cases, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a)), b = valueOf(Bits(c.b));
            return bitsOf(Value(a - b));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactDifference(Bits(c.a), Bits(c.b), env);
        });
}

template <typename Bits>
void productsAndQuotients(const ArithmeticEnvironment& e, uint64_t seed) {
    using Value = decltype(valueOf(Bits{}));
    const auto products = draw<Bits>(seed, [](Random& r) {
        const Bits a = randomOperand<Bits>(r);
        return Operands64{a, productPartner<Bits>(r, a), 0};
    });
    compare<Bits>(
        "product", products, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a)), b = valueOf(Bits(c.b));
            return bitsOf(Value(a * b));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactProduct(Bits(c.a), Bits(c.b), env);
        });
    const auto quotients = draw<Bits>(seed + 1, [](Random& r) {
        const Bits a = randomOperand<Bits>(r);
        return Operands64{a, quotientPartner<Bits>(r, a), 0};
    });
    compare<Bits>(
        "quotient", quotients, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a)), b = valueOf(Bits(c.b));
            return bitsOf(Value(a / b));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactQuotient(Bits(c.a), Bits(c.b), env);
        });
}

template <typename Bits>
void fusedMultiplyAdds(const ArithmeticEnvironment& e, uint64_t seed) {
    using Value = decltype(valueOf(Bits{}));
    const auto cases = draw<Bits>(seed, [](Random& r) {
        const Bits a = randomOperand<Bits>(r);
        const Bits b = productPartner<Bits>(r, a);
        return Operands64{a, b, addendFor<Bits>(r, a, b)};
    });
    compare<Bits>(
        "fused multiply-add", cases, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a)), b = valueOf(Bits(c.b)), d = valueOf(Bits(c.c));
            return bitsOf(Value(std::fma(Value(a), Value(b), Value(d))));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactFusedMultiplyAdd(Bits(c.a), Bits(c.b), Bits(c.c), env);
        });
}

template <typename Bits>
void squareRoots(const ArithmeticEnvironment& e, uint64_t seed) {
    using Value = decltype(valueOf(Bits{}));
    const auto cases = draw<Bits>(seed, [](Random& r) {
        return Operands64{radicand<Bits>(r), 0, 0};
    });
    compare<Bits>(
        "square root", cases, e,
        [](const Operands64& c) {
            volatile Value a = valueOf(Bits(c.a));
            if constexpr (sizeof(Bits) == 4) {
                return bitsOf(__builtin_sqrtf(a));
            } else {
                return bitsOf(__builtin_sqrt(a));
            }
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactSquareRoot(Bits(c.a), env);
        });
}

TEST_P(AgainstHardware, FloatSumsAndDifferences) {
    sumsAndDifferences<uint32_t>(GetParam(), seed(1));
}
TEST_P(AgainstHardware, DoubleSumsAndDifferences) {
    sumsAndDifferences<uint64_t>(GetParam(), seed(2));
}
TEST_P(AgainstHardware, FloatProductsAndQuotients) {
    productsAndQuotients<uint32_t>(GetParam(), seed(3));
}
TEST_P(AgainstHardware, DoubleProductsAndQuotients) {
    productsAndQuotients<uint64_t>(GetParam(), seed(4));
}
TEST_P(AgainstHardware, FloatFusedMultiplyAdds) {
    fusedMultiplyAdds<uint32_t>(GetParam(), seed(5));
}
TEST_P(AgainstHardware, DoubleFusedMultiplyAdds) {
    fusedMultiplyAdds<uint64_t>(GetParam(), seed(6));
}
TEST_P(AgainstHardware, FloatSquareRoots) { squareRoots<uint32_t>(GetParam(), seed(7)); }
TEST_P(AgainstHardware, DoubleSquareRoots) { squareRoots<uint64_t>(GetParam(), seed(8)); }

// Doubles near the float range's ends and near a float's ties, and every kind of float.
TEST_P(AgainstHardware, NarrowingAndWidening) {
    const auto narrowing = draw<uint64_t>(seed(9), [](Random& r) {
        const int biased[] = {1023 - 8 + below(r, 17), 1023 - 126 - 26 + below(r, 30),
                              1023 + 126 + below(r, 4), below(r, 2048)};
        const uint64_t low[] = {next(r),
                                0,
                                uint64_t{1} << 28,
                                (uint64_t{1} << 28) + 1,
                                (uint64_t{1} << 28) - 1,
                                (uint64_t{1} << 29) - 1};
        const uint64_t fraction =
            (next(r) & ~((uint64_t{1} << 29) - 1)) | (low[below(r, 6)] & ((uint64_t{1} << 29) - 1));
        return Operands64{compose<uint64_t>((next(r) & 1) != 0, biased[below(r, 4)], fraction), 0,
                          0};
    });
    compare<uint32_t>(
        "narrowing", narrowing, GetParam(),
        [](const Operands64& c) {
            volatile double a = valueOf(c.a);
            return bitsOf(static_cast<float>(a));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactNarrow(c.a, env);
        });
    const auto widening = draw<uint32_t>(seed(10), [](Random& r) {
        return Operands64{randomOperand<uint32_t>(r), 0, 0};
    });
    compare<uint64_t>(
        "widening", widening, GetParam(),
        [](const Operands64& c) {
            volatile float a = valueOf(uint32_t(c.a));
            return bitsOf(static_cast<double>(a));
        },
        [](const Operands64& c, const ArithmeticEnvironment& env) {
            return rm::tools::exactWiden(uint32_t(c.a), env);
        });
}

std::vector<ArithmeticEnvironment> everyEnvironment() {
    std::vector<ArithmeticEnvironment> all;
    for (RoundingMode r : {RoundingMode::Nearest, RoundingMode::Upward, RoundingMode::Downward,
                           RoundingMode::TowardZero})
        for (int faults = 0; faults < 4; ++faults)
            all.push_back({r, (faults & 1) != 0, faults >= 2});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Environments, AgainstHardware, testing::ValuesIn(everyEnvironment()),
                         [](const testing::TestParamInfo<ArithmeticEnvironment>& parameter) {
                             return describe(parameter.param);
                         });

// ---- Floor and truncation, which no environment changes

TEST(ExactArithmetic, FloorAndTruncationAgainstTheLibrary) {
    Random r{77};
    for (int i = 0; i < 1000000; ++i) {
        const int biased[] = {1023 - 2 + below(r, 60), below(r, 2048), 1023 + 60 + below(r, 6)};
        const uint64_t x =
            compose<uint64_t>((next(r) & 1) != 0, biased[below(r, 3)], randomFraction<uint64_t>(r));
        const double v = valueOf(x);
        ASSERT_EQ(rm::tools::exactFloor(x), bitsOf(std::floor(v))) << std::hex << x;
        int64_t truncated = 12345;
        const bool inRange = v >= -9223372036854775808.0 && v < 9223372036854775808.0;
        ASSERT_EQ(rm::tools::exactTruncate(x, truncated), inRange) << std::hex << x;
        if (inRange) {
            ASSERT_EQ(truncated, static_cast<int64_t>(v)) << std::hex << x;
        }
    }
}

TEST(ExactArithmetic, FloorAndTruncationAtTheirEdges) {
    using rm::tools::exactFloor;
    EXPECT_EQ(exactFloor(0x8000000000000000u), 0x8000000000000000u);  // -0 stays -0
    EXPECT_EQ(exactFloor(0xbfe0000000000000u), 0xbff0000000000000u);  // -0.5 to -1
    EXPECT_EQ(exactFloor(0x8000000000000001u), 0xbff0000000000000u);  // -subnormal to -1
    EXPECT_EQ(exactFloor(0x0000000000000001u), 0x0000000000000000u);  // +subnormal to +0
    EXPECT_EQ(exactFloor(0xc32fffffffffffffu), 0xc330000000000000u);  // -(2^52 - 0.5)
    EXPECT_EQ(exactFloor(0xfff0000000000000u), 0xfff0000000000000u);  // -infinity
    EXPECT_EQ(exactFloor(0x7ff0000000000001u), rm::tools::kDoubleDefaultNaN);
    int64_t out = 7;
    EXPECT_TRUE(rm::tools::exactTruncate(0xc3e0000000000000u, out));  // -2^63
    EXPECT_EQ(out, INT64_MIN);
    EXPECT_TRUE(rm::tools::exactTruncate(0x43dfffffffffffffu, out));  // below 2^63
    EXPECT_EQ(out, INT64_C(0x7ffffffffffffc00));
    EXPECT_TRUE(rm::tools::exactTruncate(0xc00c000000000000u, out));  // -3.5
    EXPECT_EQ(out, -3);
    out = 7;
    EXPECT_FALSE(rm::tools::exactTruncate(0x43e0000000000000u, out));  // 2^63
    EXPECT_FALSE(rm::tools::exactTruncate(0xc3e0000000000001u, out));  // below -2^63
    EXPECT_FALSE(rm::tools::exactTruncate(0x7ff8000000000000u, out));  // NaN
    EXPECT_FALSE(rm::tools::exactTruncate(0xfff0000000000000u, out));  // -infinity
    EXPECT_EQ(out, 7);
}

// ---- Known patterns, worked out by hand

TEST(ExactArithmetic, RoundingOfKnownFloatSums) {
    using rm::tools::exactSum;
    const uint32_t kOne = 0x3f800000u;
    const ArithmeticEnvironment up{RoundingMode::Upward};
    const ArithmeticEnvironment down{RoundingMode::Downward};
    const ArithmeticEnvironment toZero{RoundingMode::TowardZero};
    EXPECT_EQ(exactSum(kOne, 0x33800000u), kOne);             // 1 + 2^-24: the tie goes to even
    EXPECT_EQ(exactSum(kOne, 0x34400000u), 0x3f800002u);      // 1 + 3 * 2^-24: up to 1 + 2^-22
    EXPECT_EQ(exactSum(kOne, 0x30800000u, up), 0x3f800001u);  // 1 + 2^-30, upward
    EXPECT_EQ(exactSum(0xbf800000u, 0xb0800000u, up), 0xbf800000u);
    EXPECT_EQ(exactSum(0xbf800000u, 0xb0800000u, down), 0xbf800001u);
    EXPECT_EQ(exactSum(0x3f800001u, 0xbf800001u), 0x00000000u);        // x + (-x) is +0
    EXPECT_EQ(exactSum(0x3f800001u, 0xbf800001u, down), 0x80000000u);  // but -0 downward
    EXPECT_EQ(exactSum(0x80000000u, 0x80000000u), 0x80000000u);
    EXPECT_EQ(exactSum(0x00000000u, 0x80000000u), 0x00000000u);
    EXPECT_EQ(exactSum(0x00000001u, 0x00000001u), 0x00000002u);  // subnormals add exactly
    // The largest float doubled: infinity, or the largest float again where rounding keeps it.
    EXPECT_EQ(exactSum(0x7f7fffffu, 0x7f7fffffu), 0x7f800000u);
    EXPECT_EQ(exactSum(0x7f7fffffu, 0x7f7fffffu, toZero), 0x7f7fffffu);
    EXPECT_EQ(exactSum(0x7f7fffffu, 0x7f7fffffu, down), 0x7f7fffffu);
    EXPECT_EQ(exactSum(0xff7fffffu, 0xff7fffffu, up), 0xff7fffffu);
    EXPECT_EQ(exactSum(0xff7fffffu, 0xff7fffffu, down), 0xff800000u);
    EXPECT_EQ(exactSum(0x7f800000u, 0xff800000u), rm::tools::kFloatDefaultNaN);
}

TEST(ExactArithmetic, TininessIsDecidedAfterRounding) {
    using rm::tools::exactNarrow;
    const ArithmeticEnvironment flush{RoundingMode::Nearest, true, false};
    // 2^-126 (1 - 2^-26) rounds to 2^-126 at a float's full precision: not tiny, kept.
    EXPECT_EQ(exactNarrow(0x380ffffff8000000u, flush), 0x00800000u);
    // 2^-126 (1 - 2^-24) is a full-precision float below 2^-126: tiny, flushed, although its
    // subnormal rounding is 2^-126 again.
    EXPECT_EQ(exactNarrow(0x380fffffe0000000u), 0x00800000u);
    EXPECT_EQ(exactNarrow(0x380fffffe0000000u, flush), 0x00000000u);
    EXPECT_EQ(exactNarrow(0xb80fffffe0000000u, flush), 0x80000000u);
    // An exact subnormal result is flushed as well; a subnormal operand is read as zero.
    EXPECT_EQ(rm::tools::exactProduct(0x00000003u, 0x3f800000u, flush), 0x00000000u);
    const ArithmeticEnvironment zero{RoundingMode::Nearest, false, true};
    EXPECT_EQ(rm::tools::exactSum(0x80000003u, 0x00000000u, zero), 0x00000000u);
    EXPECT_EQ(rm::tools::exactSquareRoot(0x80000003u, zero), 0x80000000u);
    EXPECT_EQ(rm::tools::exactWiden(0x80000003u, zero), 0x8000000000000000u);
}

TEST(ExactArithmetic, FusedMultiplyAddRoundsOnce) {
    // (1 + 2^-52)(1 - 2^-52) - 1 is -2^-104 exactly; rounding the product first would give 0.
    EXPECT_EQ(
        rm::tools::exactFusedMultiplyAdd(uint64_t{0x3ff0000000000001}, uint64_t{0x3feffffffffffffe},
                                         uint64_t{0xbff0000000000000}),
        0xb970000000000000u);
    // 0 * 5 + (-0) is -0 only downward.
    EXPECT_EQ(rm::tools::exactFusedMultiplyAdd(0x00000000u, 0x40a00000u, 0x80000000u), 0x00000000u);
    EXPECT_EQ(rm::tools::exactFusedMultiplyAdd(0x00000000u, 0x40a00000u, 0x80000000u,
                                               {RoundingMode::Downward}),
              0x80000000u);
    EXPECT_EQ(rm::tools::exactFusedMultiplyAdd(0x7f800000u, 0x00000000u, 0x3f800000u),
              rm::tools::kFloatDefaultNaN);
}

}  // namespace
