#include "trace/exact_arithmetic.h"

#include <initializer_list>

// No float or double appears here, not even in a conversion: everything is on integers, so that
// neither the host's rounding mode, nor its flushing, excess precision or contraction can change
// a result. 128-bit values are two 64-bit halves, for targets without a 128-bit integer type.

namespace rm::tools {
namespace {

struct Wide {
    uint64_t high = 0;
    uint64_t low = 0;
};

Wide wide(uint64_t low) { return {0, low}; }
bool isZero(Wide x) { return (x.high | x.low) == 0; }
bool lessThan(Wide a, Wide b) { return a.high < b.high || (a.high == b.high && a.low < b.low); }

Wide plus(Wide a, Wide b) {
    Wide r;
    r.low = a.low + b.low;
    r.high = a.high + b.high + (r.low < a.low ? 1 : 0);
    return r;
}

Wide minus(Wide a, Wide b) {
    Wide r;
    r.low = a.low - b.low;
    r.high = a.high - b.high - (a.low < b.low ? 1 : 0);
    return r;
}

// 0 <= n < 128 for both shifts.
Wide shiftLeft(Wide x, int n) {
    if (n == 0) return x;
    if (n >= 64) return {x.low << (n - 64), 0};
    return {(x.high << n) | (x.low >> (64 - n)), x.low << n};
}

Wide shiftRight(Wide x, int n) {
    if (n == 0) return x;
    if (n >= 64) return {0, x.high >> (n - 64)};
    return {x.high >> n, (x.low >> n) | (x.high << (64 - n))};
}

// Any nonzero bit shifted out is kept as the lowest bit, which is enough for rounding as long as
// the rounding position lies at least two bits above it.
Wide shiftRightSticky(Wide x, int n) {
    if (n <= 0) return x;
    if (n >= 128) return wide(isZero(x) ? 0 : 1);
    Wide r = shiftRight(x, n);
    if (!isZero(minus(x, shiftLeft(r, n)))) r.low |= 1;
    return r;
}

int bitLength(uint64_t x) {
    int n = 0;
    for (int step = 32; step > 0; step /= 2) {
        if ((x >> step) != 0) {
            x >>= step;
            n += step;
        }
    }
    return n + (x != 0 ? 1 : 0);
}

int bitLength(Wide x) { return x.high != 0 ? 64 + bitLength(x.high) : bitLength(x.low); }

Wide multiply(uint64_t a, uint64_t b) {
    const uint64_t kHalf = 0xffffffffu;
    const uint64_t lowLow = (a & kHalf) * (b & kHalf);
    const uint64_t lowHigh = (a & kHalf) * (b >> 32);
    const uint64_t highLow = (a >> 32) * (b & kHalf);
    const uint64_t highHigh = (a >> 32) * (b >> 32);
    const uint64_t middle = (lowLow >> 32) + (lowHigh & kHalf) + (highLow & kHalf);
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & kHalf)};
}

// Floor of the square root, and what is left of the radicand.
void integerSquareRoot(Wide radicand, Wide& root, Wide& remainder) {
    root = {};
    remainder = radicand;
    Wide bit = shiftLeft(wide(1), (bitLength(radicand) - 1) & ~1);
    while (!isZero(bit)) {
        const Wide trial = plus(root, bit);
        if (!lessThan(remainder, trial)) {
            remainder = minus(remainder, trial);
            root = plus(shiftRight(root, 1), bit);
        } else {
            root = shiftRight(root, 1);
        }
        bit = shiftRight(bit, 2);
    }
}

struct Format {
    int fractionBits;
    int exponentBits;
};

constexpr Format kFloat{23, 8};
constexpr Format kDouble{52, 11};

int precision(Format f) { return f.fractionBits + 1; }
int bias(Format f) { return (1 << (f.exponentBits - 1)) - 1; }
int infiniteExponent(Format f) { return (1 << f.exponentBits) - 1; }
// The exponent of the smallest normal's leading bit.
int minimumExponent(Format f) { return 1 - bias(f); }
uint64_t fractionMask(Format f) { return (uint64_t{1} << f.fractionBits) - 1; }
uint64_t signBit(Format f, bool negative) {
    return negative ? uint64_t{1} << (f.fractionBits + f.exponentBits) : 0;
}
uint64_t infinity(Format f, bool negative) {
    return signBit(f, negative) | uint64_t(infiniteExponent(f)) << f.fractionBits;
}
uint64_t defaultNaN(Format f) { return infinity(f, false) | uint64_t{1} << (f.fractionBits - 1); }

// A finite value is significand * 2^exponent; a zero's significand is 0.
enum class Kind { Zero, Finite, Infinite, NaN };
struct Unpacked {
    Kind kind = Kind::Zero;
    bool negative = false;
    int exponent = 0;
    uint64_t significand = 0;
};

Unpacked unpack(uint64_t bits, Format f, bool zeroOperands) {
    Unpacked u;
    u.negative = ((bits >> (f.fractionBits + f.exponentBits)) & 1) != 0;
    const int biased = int((bits >> f.fractionBits) & uint64_t(infiniteExponent(f)));
    const uint64_t fraction = bits & fractionMask(f);
    if (biased == infiniteExponent(f)) {
        u.kind = fraction != 0 ? Kind::NaN : Kind::Infinite;
    } else if (biased == 0) {
        if (fraction != 0 && !zeroOperands) {
            u.kind = Kind::Finite;
            u.exponent = minimumExponent(f) - f.fractionBits;
            u.significand = fraction;
        }
    } else {
        u.kind = Kind::Finite;
        u.exponent = biased - bias(f) - f.fractionBits;
        u.significand = fraction | uint64_t{1} << f.fractionBits;
    }
    return u;
}

bool roundsAway(RoundingMode rounding, bool negative, bool odd, bool half, bool sticky) {
    switch (rounding) {
        case RoundingMode::Nearest:
            return half && (sticky || odd);
        case RoundingMode::Upward:
            return !negative && (half || sticky);
        case RoundingMode::Downward:
            return negative && (half || sticky);
        case RoundingMode::TowardZero:
            return false;
    }
    return false;
}

// The significand divided by 2^shift (multiplied when shift <= 0), rounded to an integer; the
// caller makes sure the result fits in 64 bits.
uint64_t roundedShift(Wide significand, int shift, bool negative, RoundingMode rounding) {
    if (shift <= 0) return shiftLeft(significand, -shift).low;
    if (shift > 128) return roundsAway(rounding, negative, false, false, true) ? 1 : 0;
    const Wide halves = shiftRight(significand, shift - 1);
    const uint64_t kept = shift == 128 ? 0 : shiftRight(significand, shift).low;
    const bool sticky = !isZero(minus(significand, shiftLeft(halves, shift - 1)));
    return kept +
           (roundsAway(rounding, negative, (kept & 1) != 0, (halves.low & 1) != 0, sticky) ? 1 : 0);
}

uint64_t overflow(Format f, bool negative, RoundingMode rounding) {
    const bool toInfinity = rounding == RoundingMode::Nearest ||
                            (rounding == RoundingMode::Upward && !negative) ||
                            (rounding == RoundingMode::Downward && negative);
    if (toInfinity) return infinity(f, negative);
    return signBit(f, negative) | uint64_t(infiniteExponent(f) - 1) << f.fractionBits |
           fractionMask(f);
}

// significand * 2^exponent, nonzero, rounded to the format. The lowest bit of the significand
// may stand for a nonzero remainder below it, provided the significand is wider than the format
// by two bits or more wherever that is so.
uint64_t pack(bool negative, int exponent, Wide significand, Format f,
              const ArithmeticEnvironment& environment) {
    const int p = precision(f);
    const int length = bitLength(significand);
    const int top = exponent + length - 1;
    const int minimum = minimumExponent(f);
    if (environment.flushResults && top < minimum) {
        // Tininess after rounding: only a value that rounds, at full precision, up to the
        // smallest normal escapes the flush.
        const bool reachesNormal =
            top == minimum - 1 &&
            roundedShift(significand, length - p, negative, environment.rounding) >> p != 0;
        if (!reachesNormal) return signBit(f, negative);
    }
    int lowest = (top < minimum ? minimum : top) - (p - 1);
    uint64_t rounded = roundedShift(significand, lowest - exponent, negative, environment.rounding);
    if (rounded >> p != 0) {
        rounded >>= 1;
        ++lowest;
    }
    const uint64_t leading = uint64_t{1} << (p - 1);
    if (rounded < leading) return signBit(f, negative) | rounded;
    const int biased = lowest + (p - 1) + bias(f);
    if (biased >= infiniteExponent(f)) return overflow(f, negative, environment.rounding);
    return signBit(f, negative) | uint64_t(biased) << f.fractionBits | (rounded - leading);
}

uint64_t pack(const Unpacked& u, Format f, const ArithmeticEnvironment& environment) {
    return pack(u.negative, u.exponent, wide(u.significand), f, environment);
}

// The zero that an exact sum of zero is.
uint64_t zeroSum(bool negativeA, bool negativeB, Format f, RoundingMode rounding) {
    return signBit(f, negativeA == negativeB ? negativeA : rounding == RoundingMode::Downward);
}

struct Term {
    bool negative;
    int exponent;
    Wide significand;
};

// The sum of two nonzero finite terms of up to 106 bits each. Both are brought to 126 bits so that
// whichever is shifted right for the other leaves enough bits of the sum above its sticky bit.
uint64_t addTerms(Term x, Term y, Format f, const ArithmeticEnvironment& environment) {
    const int kLeading = 125;
    for (Term* t : {&x, &y}) {
        const int shift = kLeading - (bitLength(t->significand) - 1);
        t->significand = shiftLeft(t->significand, shift);
        t->exponent -= shift;
    }
    if (x.exponent < y.exponent) {
        const Term swapped = x;
        x = y;
        y = swapped;
    }
    y.significand = shiftRightSticky(y.significand, x.exponent - y.exponent);
    if (x.negative == y.negative)
        return pack(x.negative, x.exponent, plus(x.significand, y.significand), f, environment);
    if (lessThan(x.significand, y.significand))
        return pack(y.negative, x.exponent, minus(y.significand, x.significand), f, environment);
    const Wide difference = minus(x.significand, y.significand);
    if (isZero(difference)) return zeroSum(x.negative, y.negative, f, environment.rounding);
    return pack(x.negative, x.exponent, difference, f, environment);
}

Term term(const Unpacked& u) { return {u.negative, u.exponent, wide(u.significand)}; }

uint64_t sum(uint64_t aBits, uint64_t bBits, bool negateB, Format f,
             const ArithmeticEnvironment& environment) {
    const Unpacked a = unpack(aBits, f, environment.zeroOperands);
    Unpacked b = unpack(bBits, f, environment.zeroOperands);
    b.negative = b.negative != negateB;
    if (a.kind == Kind::NaN || b.kind == Kind::NaN) return defaultNaN(f);
    if (a.kind == Kind::Infinite || b.kind == Kind::Infinite) {
        if (a.kind == Kind::Infinite && b.kind == Kind::Infinite && a.negative != b.negative)
            return defaultNaN(f);
        return infinity(f, a.kind == Kind::Infinite ? a.negative : b.negative);
    }
    if (a.kind == Kind::Zero && b.kind == Kind::Zero)
        return zeroSum(a.negative, b.negative, f, environment.rounding);
    if (a.kind == Kind::Zero) return pack(b, f, environment);
    if (b.kind == Kind::Zero) return pack(a, f, environment);
    return addTerms(term(a), term(b), f, environment);
}

uint64_t product(uint64_t aBits, uint64_t bBits, Format f,
                 const ArithmeticEnvironment& environment) {
    const Unpacked a = unpack(aBits, f, environment.zeroOperands);
    const Unpacked b = unpack(bBits, f, environment.zeroOperands);
    const bool negative = a.negative != b.negative;
    if (a.kind == Kind::NaN || b.kind == Kind::NaN) return defaultNaN(f);
    if (a.kind == Kind::Infinite || b.kind == Kind::Infinite) {
        if (a.kind == Kind::Zero || b.kind == Kind::Zero) return defaultNaN(f);
        return infinity(f, negative);
    }
    if (a.kind == Kind::Zero || b.kind == Kind::Zero) return signBit(f, negative);
    return pack(negative, a.exponent + b.exponent, multiply(a.significand, b.significand), f,
                environment);
}

// The significand moved up to bit `leading`, its exponent adjusted to keep the value.
void normalize(Unpacked& u, int leading) {
    const int shift = leading - (bitLength(u.significand) - 1);
    u.significand <<= shift;
    u.exponent -= shift;
}

uint64_t quotient(uint64_t aBits, uint64_t bBits, Format f,
                  const ArithmeticEnvironment& environment) {
    Unpacked a = unpack(aBits, f, environment.zeroOperands);
    Unpacked b = unpack(bBits, f, environment.zeroOperands);
    const bool negative = a.negative != b.negative;
    if (a.kind == Kind::NaN || b.kind == Kind::NaN) return defaultNaN(f);
    if (a.kind == Kind::Infinite)
        return b.kind == Kind::Infinite ? defaultNaN(f) : infinity(f, negative);
    if (b.kind == Kind::Infinite) return signBit(f, negative);
    if (b.kind == Kind::Zero) return a.kind == Kind::Zero ? defaultNaN(f) : infinity(f, negative);
    if (a.kind == Kind::Zero) return signBit(f, negative);

    const int p = precision(f);
    normalize(a, p - 1);
    normalize(b, p - 1);
    int exponent = a.exponent - b.exponent;
    uint64_t remainder = a.significand;
    if (remainder < b.significand) {
        remainder <<= 1;
        --exponent;
    }
    // Two bits beyond the precision, then the sticky bit from the remainder.
    const int digits = p + 2;
    uint64_t digitsFound = 0;
    for (int i = 0; i < digits; ++i) {
        digitsFound <<= 1;
        if (remainder >= b.significand) {
            remainder -= b.significand;
            digitsFound |= 1;
        }
        remainder <<= 1;
    }
    const uint64_t significand = digitsFound << 1 | (remainder != 0 ? 1 : 0);
    return pack(negative, exponent - digits, wide(significand), f, environment);
}

uint64_t squareRoot(uint64_t aBits, Format f, const ArithmeticEnvironment& environment) {
    const Unpacked a = unpack(aBits, f, environment.zeroOperands);
    if (a.kind == Kind::NaN) return defaultNaN(f);
    if (a.kind == Kind::Zero) return signBit(f, a.negative);
    if (a.negative) return defaultNaN(f);
    if (a.kind == Kind::Infinite) return infinity(f, false);

    // A radicand of 2 * digits bits (or one fewer) and an even exponent give a root of `digits`
    // bits: two beyond the precision, then the sticky bit from the remainder.
    const int digits = precision(f) + 2;
    int shift = 2 * digits - bitLength(a.significand);
    if ((a.exponent - shift) % 2 != 0) --shift;
    Wide root;
    Wide remainder;
    integerSquareRoot(shiftLeft(wide(a.significand), shift), root, remainder);
    const uint64_t significand = root.low << 1 | (isZero(remainder) ? 0 : 1);
    return pack(false, (a.exponent - shift) / 2 - 1, wide(significand), f, environment);
}

uint64_t fusedMultiplyAdd(uint64_t aBits, uint64_t bBits, uint64_t cBits, Format f,
                          const ArithmeticEnvironment& environment) {
    const Unpacked a = unpack(aBits, f, environment.zeroOperands);
    const Unpacked b = unpack(bBits, f, environment.zeroOperands);
    const Unpacked c = unpack(cBits, f, environment.zeroOperands);
    const bool negative = a.negative != b.negative;
    if (a.kind == Kind::NaN || b.kind == Kind::NaN || c.kind == Kind::NaN) return defaultNaN(f);
    if (a.kind == Kind::Infinite || b.kind == Kind::Infinite) {
        if (a.kind == Kind::Zero || b.kind == Kind::Zero) return defaultNaN(f);
        if (c.kind == Kind::Infinite && c.negative != negative) return defaultNaN(f);
        return infinity(f, negative);
    }
    if (c.kind == Kind::Infinite) return infinity(f, c.negative);
    if (a.kind == Kind::Zero || b.kind == Kind::Zero) {
        if (c.kind == Kind::Zero) return zeroSum(negative, c.negative, f, environment.rounding);
        return pack(c, f, environment);
    }
    const Term p = {negative, a.exponent + b.exponent, multiply(a.significand, b.significand)};
    if (c.kind == Kind::Zero) return pack(p.negative, p.exponent, p.significand, f, environment);
    return addTerms(p, term(c), f, environment);
}

uint64_t convert(uint64_t bits, Format from, Format to, const ArithmeticEnvironment& environment) {
    const Unpacked u = unpack(bits, from, environment.zeroOperands);
    switch (u.kind) {
        case Kind::NaN:
            return defaultNaN(to);
        case Kind::Infinite:
            return infinity(to, u.negative);
        case Kind::Zero:
            return signBit(to, u.negative);
        case Kind::Finite:
            break;
    }
    return pack(u, to, environment);
}

uint32_t lowHalf(uint64_t bits) { return static_cast<uint32_t>(bits); }

}  // namespace

uint32_t exactSum(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment) {
    return lowHalf(sum(a, b, false, kFloat, environment));
}
uint32_t exactDifference(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment) {
    return lowHalf(sum(a, b, true, kFloat, environment));
}
uint32_t exactProduct(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment) {
    return lowHalf(product(a, b, kFloat, environment));
}
uint32_t exactQuotient(uint32_t a, uint32_t b, const ArithmeticEnvironment& environment) {
    return lowHalf(quotient(a, b, kFloat, environment));
}
uint32_t exactSquareRoot(uint32_t a, const ArithmeticEnvironment& environment) {
    return lowHalf(squareRoot(a, kFloat, environment));
}
uint32_t exactFusedMultiplyAdd(uint32_t a, uint32_t b, uint32_t c,
                               const ArithmeticEnvironment& environment) {
    return lowHalf(fusedMultiplyAdd(a, b, c, kFloat, environment));
}

uint64_t exactSum(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment) {
    return sum(a, b, false, kDouble, environment);
}
uint64_t exactDifference(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment) {
    return sum(a, b, true, kDouble, environment);
}
uint64_t exactProduct(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment) {
    return product(a, b, kDouble, environment);
}
uint64_t exactQuotient(uint64_t a, uint64_t b, const ArithmeticEnvironment& environment) {
    return quotient(a, b, kDouble, environment);
}
uint64_t exactSquareRoot(uint64_t a, const ArithmeticEnvironment& environment) {
    return squareRoot(a, kDouble, environment);
}
uint64_t exactFusedMultiplyAdd(uint64_t a, uint64_t b, uint64_t c,
                               const ArithmeticEnvironment& environment) {
    return fusedMultiplyAdd(a, b, c, kDouble, environment);
}

uint64_t exactWiden(uint32_t floatBits, const ArithmeticEnvironment& environment) {
    return convert(floatBits, kFloat, kDouble, environment);
}
uint32_t exactNarrow(uint64_t doubleBits, const ArithmeticEnvironment& environment) {
    return lowHalf(convert(doubleBits, kDouble, kFloat, environment));
}

uint64_t exactFloor(uint64_t doubleBits) {
    const uint64_t kSign = uint64_t{1} << 63;
    const int biased = int((doubleBits >> 52) & 0x7ff);
    if (biased == 0x7ff)
        return (doubleBits & fractionMask(kDouble)) != 0 ? kDoubleDefaultNaN : doubleBits;
    if (biased >= 1023 + 52) return doubleBits;
    if (biased < 1023) {
        if ((doubleBits & ~kSign) == 0) return doubleBits;
        return (doubleBits & kSign) != 0 ? 0xbff0000000000000u : 0;
    }
    const uint64_t belowOne = (uint64_t{1} << (1023 + 52 - biased)) - 1;
    if ((doubleBits & belowOne) == 0) return doubleBits;
    const uint64_t truncated = doubleBits & ~belowOne;
    // A negative value's magnitude goes up by one; a carry out of the fraction raises the
    // exponent, as it should.
    return (doubleBits & kSign) != 0 ? truncated + belowOne + 1 : truncated;
}

bool exactTruncate(uint64_t doubleBits, int64_t& out) {
    const bool negative = (doubleBits >> 63) != 0;
    const int biased = int((doubleBits >> 52) & 0x7ff);
    if (biased == 0x7ff) return false;
    if (biased < 1023) {
        out = 0;
        return true;
    }
    const int exponent = biased - 1023;
    if (exponent >= 63) {
        if (doubleBits != 0xc3e0000000000000u) return false;
        out = INT64_MIN;
        return true;
    }
    const uint64_t significand = (doubleBits & fractionMask(kDouble)) | uint64_t{1} << 52;
    const uint64_t magnitude =
        exponent >= 52 ? significand << (exponent - 52) : significand >> (52 - exponent);
    out = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace rm::tools
