#pragma once

// IEEE 754 binary32 and binary64 arithmetic on bit patterns, in integer operations only, so that
// a trace compared with another build's can be told the correctly rounded result of one
// operation, and what that operation gives under a fault of the other side's floating-point
// unit, whatever this host's unit and its settings do. Float operations take and give 32-bit
// patterns, double operations 64-bit patterns; the width of the arguments picks the overload.
//
// A NaN result is always the default quiet NaN below, whatever NaN came in: processors differ in
// the NaN they give, so only non-NaN results are for comparing bit for bit.

#include <cstdint>

namespace rm::tools {

constexpr uint32_t kFloatDefaultNaN = 0x7fc00000u;
constexpr uint64_t kDoubleDefaultNaN = 0x7ff8000000000000u;

// Nearest is to nearest, ties to even.
enum class RoundingMode { Nearest, Upward, Downward, TowardZero };

// The settings of a floating-point unit, faulty ones included.
//
// flushResults: a tiny nonzero result becomes a zero of its sign (flush to zero). A result is
// tiny when, rounded to the format's precision with an unbounded exponent, its magnitude is
// below the smallest normal: tininess after rounding, as x86 SSE decides it for its
// flush-to-zero bit (and AArch64 under FPCR.AH), so a result just below the smallest normal that
// rounds up to it is kept. AArch64's default flushing looks at the value before rounding, which
// differs from this only for such results. Exact subnormal results are flushed too.
//
// zeroOperands: a subnormal operand is read as a zero of its sign (denormals are zero).
struct ArithmeticEnvironment {
    RoundingMode rounding = RoundingMode::Nearest;
    bool flushResults = false;
    bool zeroOperands = false;
};

uint32_t exactSum(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment = {});
uint32_t exactDifference(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment = {});
uint32_t exactProduct(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment = {});
uint32_t exactQuotient(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment = {});
uint32_t exactSquareRoot(uint32_t a, const ArithmeticEnvironment& environment = {});
// a * b + c, rounded once.
uint32_t exactFusedMultiplyAdd(uint32_t a, uint32_t b, uint32_t c,
                               const ArithmeticEnvironment& environment = {});

uint64_t exactSum(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment = {});
uint64_t exactDifference(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment = {});
uint64_t exactProduct(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment = {});
uint64_t exactQuotient(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment = {});
uint64_t exactSquareRoot(uint64_t a, const ArithmeticEnvironment& environment = {});
uint64_t exactFusedMultiplyAdd(uint64_t a, uint64_t b, uint64_t c,
                               const ArithmeticEnvironment& environment = {});

// A float as a double: always exact, but a subnormal float is read as zero under zeroOperands.
uint64_t exactWiden(uint32_t floatBits, const ArithmeticEnvironment& environment = {});
// A double as a float, rounded and flushed as the environment says.
uint32_t exactNarrow(uint64_t doubleBits, const ArithmeticEnvironment& environment = {});

// The largest integer not above a double, as a double, a zero keeping its sign:
// floor(-0.0) = -0.0, floor(-0.5) = -1.0. Infinities are kept.
uint64_t exactFloor(uint64_t doubleBits);
// A double truncated toward zero; false, out untouched, when it is NaN or its truncation lies
// outside int64_t.
bool exactTruncate(uint64_t doubleBits, int64_t& out);

}  // namespace rm::tools
