// Checks rm::arcCosine against a higher-precision reference for every float in [-1, 1], on all
// cores, and measures the error of the 64-bit approximation it rounds. Built and run by
// scripts/verify-arc-cosine; exits with status 1 on any mismatch.
//
// The reference is the 80-bit acosl of x86-64, rounded once to float. Where acosl lies within
// 2^-56 of a rounding midpoint, its own last-bit error could matter, so the side of the midpoint m
// is settled exactly: acos(x) > m exactly when 1 - x > 1 - cos(m), both sides in quad precision.
#include <math.h>
#include <stdint.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "math/arc_cosine.h"
#include "math/float_bits.h"
#include "support/one_minus_cosine.h"

namespace {

__extension__ typedef __float128 Quad;

constexpr uint32_t kPositiveCount = 0x3f800001;  // +0 through 1.0
constexpr uint64_t kInputCount = 2 * uint64_t{kPositiveCount};
constexpr uint64_t kBlock = 1 << 20;
constexpr long double kReferenceSlack = 0x1p-56L;
constexpr float kSunCosine = 0.921060994f;  // cos(0.4): above it the sky's sun weight is nonzero

using rmtest::oneMinusCosine;

struct Reference {
    float value;
    bool hard;       // acosl was too close to a midpoint to be rounded directly
    double gapLog2;  // for a hard case: log2 of |(1 - x) - (1 - cos m)| / (1 - x)
};

// l is acosl(x).
Reference reference(float x, long double l) {
    const long double slack = l * kReferenceSlack;
    const float below = static_cast<float>(l - slack);
    const float above = static_cast<float>(l + slack);
    if (below == above) return {static_cast<float>(l), false, 0.0};
    const Quad m = (Quad(below) + Quad(above)) / 2;  // exact: a 25-bit number
    const Quad w = 1 - Quad(x);
    const Quad gap = w - oneMinusCosine(m);
    const Quad relative = (gap < 0 ? -gap : gap) / w;
    return {gap > 0 ? above : below, true, log2(static_cast<double>(relative))};
}

struct Mismatch {
    uint32_t input;
    uint32_t got;
    uint32_t want;
};

struct Tally {
    uint64_t checked = 0;
    uint64_t hardApproximation = 0;  // r within the error bound of a midpoint
    uint64_t wrongRounding = 0;      // of those, plain rounding of r is wrong
    uint64_t hardReference = 0;
    double closestReference = 0.0;  // log2 of the smallest gap among the reference's hard cases
    long double maxError = 0.0L;
    uint32_t maxErrorInput = 0;
    uint64_t differFromLibrary = 0;
    uint64_t differFromLibrarySun = 0;
    std::vector<Mismatch> mismatches;
    std::vector<Mismatch> wrongRoundings;
};

uint32_t inputBits(uint64_t i) {
    return i < kPositiveCount ? static_cast<uint32_t>(i)
                              : 0x80000000u | static_cast<uint32_t>(i - kPositiveCount);
}

void checkOne(uint32_t bits, Tally& t) {
    const float x = rm::floatFromBits(bits);
    const float got = rm::arcCosine(x);
    const long double l = acosl(static_cast<long double>(x));
    const Reference want = reference(x, l);
    ++t.checked;
    if (rm::floatBits(got) != rm::floatBits(want.value)) {
        t.mismatches.push_back({bits, rm::floatBits(got), rm::floatBits(want.value)});
    }
    if (want.hard) {
        if (t.hardReference == 0 || want.gapLog2 < t.closestReference) {
            t.closestReference = want.gapLog2;
        }
        ++t.hardReference;
    }

    const double r = rm::arcCosineApproximation(x);
    const long double error = l == 0.0L ? (r == 0.0 ? 0.0L : 1.0L) : fabsl(r - l) / l;
    if (error > t.maxError) {
        t.maxError = error;
        t.maxErrorInput = bits;
    }
    const double margin = r * rm::kArcCosineRelativeError;
    if (static_cast<float>(r - margin) != static_cast<float>(r + margin)) {
        ++t.hardApproximation;
        if (rm::floatBits(static_cast<float>(r)) != rm::floatBits(want.value)) {
            ++t.wrongRounding;
            t.wrongRoundings.push_back(
                {bits, rm::floatBits(static_cast<float>(r)), rm::floatBits(want.value)});
        }
    }
    if (rm::floatBits(acosf(x)) != rm::floatBits(want.value)) {
        ++t.differFromLibrary;
        if (x > kSunCosine) ++t.differFromLibrarySun;
    }
}

void worker(std::atomic<uint64_t>& next, Tally& t) {
    for (;;) {
        const uint64_t start = next.fetch_add(kBlock);
        if (start >= kInputCount) return;
        const uint64_t end = std::min(start + kBlock, kInputCount);
        for (uint64_t i = start; i < end; ++i)
            checkOne(inputBits(i), t);
    }
}

bool checkSpecials() {
    bool ok = true;
    const uint32_t nanInputs[] = {0x7fc00000, 0xffc00000, 0x7f800001, 0x7f800000, 0xff800000,
                                  0x3f800001, 0xbf800001, 0x7f7fffff, 0xff7fffff, 0x40000000};
    for (uint32_t bits : nanInputs) {
        if (!isnan(rm::arcCosine(rm::floatFromBits(bits)))) {
            std::printf("  input 0x%08x: expected NaN\n", bits);
            ok = false;
        }
    }
    const struct {
        uint32_t input;
        uint32_t result;
    } exact[] = {{0x3f800000, 0x00000000},
                 {0xbf800000, 0x40490fdb},
                 {0x00000000, 0x3fc90fdb},
                 {0x80000000, 0x3fc90fdb}};
    for (const auto& e : exact) {
        const uint32_t got = rm::floatBits(rm::arcCosine(rm::floatFromBits(e.input)));
        if (got != e.result) {
            std::printf("  input 0x%08x: got 0x%08x, expected 0x%08x\n", e.input, got, e.result);
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main() {
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<Tally> tallies(threads);
    std::atomic<uint64_t> next{0};
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(worker, std::ref(next), std::ref(tallies[i]));
    for (std::thread& th : pool)
        th.join();

    Tally all;
    for (const Tally& t : tallies) {
        all.checked += t.checked;
        all.hardApproximation += t.hardApproximation;
        all.wrongRounding += t.wrongRounding;
        if (t.hardReference > 0 &&
            (all.hardReference == 0 || t.closestReference < all.closestReference)) {
            all.closestReference = t.closestReference;
        }
        all.hardReference += t.hardReference;
        if (t.maxError > all.maxError) {
            all.maxError = t.maxError;
            all.maxErrorInput = t.maxErrorInput;
        }
        all.differFromLibrary += t.differFromLibrary;
        all.differFromLibrarySun += t.differFromLibrarySun;
        all.mismatches.insert(all.mismatches.end(), t.mismatches.begin(), t.mismatches.end());
        all.wrongRoundings.insert(all.wrongRoundings.end(), t.wrongRoundings.begin(),
                                  t.wrongRoundings.end());
    }
    const auto byInput = [](const Mismatch& a, const Mismatch& b) { return a.input < b.input; };
    std::sort(all.mismatches.begin(), all.mismatches.end(), byInput);
    std::sort(all.wrongRoundings.begin(), all.wrongRoundings.end(), byInput);

    const bool specialsOk = checkSpecials();
    const double maxErrorLog2 = log2(static_cast<double>(all.maxError));
    const bool boundOk = all.maxError < rm::kArcCosineRelativeError;
    const bool referenceOk = all.hardReference == 0 || all.closestReference > -100.0;

    std::printf("inputs checked: %llu (every float in [-1, 1])\n",
                static_cast<unsigned long long>(all.checked));
    std::printf("mismatches against the correctly rounded reference: %zu\n", all.mismatches.size());
    for (size_t i = 0; i < all.mismatches.size() && i < 50; ++i) {
        const Mismatch& m = all.mismatches[i];
        std::printf("  input 0x%08x (%.9g): got 0x%08x, expected 0x%08x\n", m.input,
                    static_cast<double>(rm::floatFromBits(m.input)), m.got, m.want);
    }
    std::printf("approximation: largest relative error 2^%.2f at input 0x%08x (bound 2^%.0f)%s\n",
                maxErrorLog2, all.maxErrorInput, log2(rm::kArcCosineRelativeError),
                boundOk ? "" : "  EXCEEDS THE BOUND");
    std::printf(
        "hard cases: %llu inputs whose approximation lies within the bound of a rounding "
        "midpoint; %llu of them round wrongly and need the exception table:\n",
        static_cast<unsigned long long>(all.hardApproximation),
        static_cast<unsigned long long>(all.wrongRounding));
    for (const Mismatch& m : all.wrongRoundings) {
        std::printf("    {0x%08x, 0x%08x},  // %.9g\n", m.input, m.want,
                    static_cast<double>(rm::floatFromBits(m.input)));
    }
    std::printf(
        "reference: %llu inputs with acosl within 2^-56 of a midpoint, settled in quad "
        "precision (smallest relative gap 2^%.1f)\n",
        static_cast<unsigned long long>(all.hardReference), all.closestReference);
    std::printf("differ from this C library's acosf: %llu, of which %llu above cos(0.4)\n",
                static_cast<unsigned long long>(all.differFromLibrary),
                static_cast<unsigned long long>(all.differFromLibrarySun));
    std::printf("special inputs (NaN, infinities, |x| > 1, +-1, +-0): %s\n",
                specialsOk ? "ok" : "FAILED");
    const bool ok = all.mismatches.empty() && boundOk && specialsOk && referenceOk;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
