// A catalogue of faulty builds, each with one fault, made in this process: the environment's
// faults (a directed rounding mode, flushing) set in the processor's own control for the whole
// evaluation, as a host or an emulator that ignores the program's setting would leave it, and
// the arithmetic's faults (contraction, wide intermediates, a wrong square root, floor or
// conversion) put into every operation of the plain evaluation as it is done (TraceLog::alter).
// For each: the first row that differs, the finder's first differing pixel in an image of the
// rows up to it, and the comparison of that pixel's trace with the exact one, which must name
// the operation the fault touches, its operands and both results, and the cause or "unknown",
// never another cause.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/tga_header.h"
#include "math/float_bits.h"
#include "reference/trace.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/render_row.h"
#include "simd/simd_level.h"
#include "support/child_process.h"
#include "support/row_workspace.h"
#include "trace/exact_arithmetic.h"
#include "trace/float_readings.h"
#include "trace/trace_compare.h"
#include "trace/trace_log.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace {

using rm::tools::Operation;
using rm::tools::TraceRecord;

// The kernels raymarch renders with on this processor.
const rm::KernelTable& kBestKernels = rm::chooseKernels(rm::bestSimdLevel());

// The last product a faulty unit kept wider than a float, for the fault that uses it next.
struct KeptProduct {
    std::uint64_t rounded = 0;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    int width = 0;
    bool held = false;
};
KeptProduct gKept;

bool isProductOperand(const TraceRecord& r, int k) {
    return gKept.held && gKept.width == r.width && r.operandBits[k] == gKept.rounded;
}

// a + b or a - b where one operand is the product just formed: fused into one rounding.
void contract(const TraceRecord& r, std::uint64_t& result) {
    using namespace rm::tools;
    if (r.operation == Operation::Product) {
        gKept = {r.bits, r.operandBits[0], r.operandBits[1], r.width, true};
        return;
    }
    if (r.operation != Operation::Sum && r.operation != Operation::Difference) {
        gKept.held = false;
        return;
    }
    const std::uint64_t sign = r.width == 32 ? 0x80000000ull : 0x8000000000000000ull;
    for (int k = 0; k < 2; ++k) {
        if (!isProductOperand(r, k)) continue;
        std::uint64_t x = gKept.a;
        std::uint64_t other = r.operandBits[1 - k];
        if (r.operation == Operation::Difference) {
            if (k == 1)
                x ^= sign;
            else
                other ^= sign;
        }
        result = r.width == 32 ? exactFusedMultiplyAdd(static_cast<std::uint32_t>(x),
                                                       static_cast<std::uint32_t>(gKept.b),
                                                       static_cast<std::uint32_t>(other))
                               : exactFusedMultiplyAdd(x, gKept.b, other);
        break;
    }
    gKept.held = false;
}

// A float product kept in a wider register and used there by the next sum or difference, which
// is rounded to a float only then, as an x87 unit does.
void keepWide(const TraceRecord& r, std::uint64_t& result) {
    using namespace rm::tools;
    if (r.operation == Operation::Product && r.width == 32) {
        gKept = {r.bits, r.operandBits[0], r.operandBits[1], 32, true};
        return;
    }
    if ((r.operation == Operation::Sum || r.operation == Operation::Difference) && r.width == 32) {
        for (int k = 0; k < 2; ++k) {
            if (!isProductOperand(r, k)) continue;
            std::uint64_t wide[2] = {exactWiden(static_cast<std::uint32_t>(r.operandBits[0])),
                                     exactWiden(static_cast<std::uint32_t>(r.operandBits[1]))};
            wide[k] = exactProduct(exactWiden(static_cast<std::uint32_t>(gKept.a)),
                                   exactWiden(static_cast<std::uint32_t>(gKept.b)));
            const std::uint64_t d = r.operation == Operation::Sum
                                        ? exactSum(wide[0], wide[1])
                                        : exactDifference(wide[0], wide[1]);
            result = exactNarrow(d);
            break;
        }
    }
    gKept.held = false;
}

// One unit in the last place high for every operand whose two lowest bits are set.
void highSquareRoot(const TraceRecord& r, std::uint64_t& result) {
    if (r.operation == Operation::SquareRoot && (r.operandBits[0] & 3) == 3) ++result;
}

// The floor of a negative number that is not whole taken toward zero, as a truncation would.
void truncatingFloor(const TraceRecord& r, std::uint64_t& result) {
    if (r.operation != Operation::Floor) return;
    const double v = rm::doubleFromBits(r.operandBits[0]);
    if (v < 0.0 && std::trunc(v) != v) result = rm::doubleBits(std::trunc(v));
}

// A double narrowed to a float by cutting its bits off instead of rounding.
void cutNarrowing(const TraceRecord& r, std::uint64_t& result) {
    if (r.operation == Operation::Narrowing) {
        result = rm::tools::exactNarrow(r.operandBits[0], {rm::tools::RoundingMode::TowardZero});
    }
}

// A float quotient one unit in the last place above the right one: a fault no probe sees, in a
// build whose probes claim another (rounding downward, which never rounds above).
void highQuotient(const TraceRecord& r, std::uint64_t& result) {
    if (r.operation == Operation::Quotient && r.width == 32) ++result;
}

// A float converted to an integer to the nearest whole number instead of toward zero.
void roundingConversion(const TraceRecord& r, std::uint64_t& result) {
    if (r.operation != Operation::Truncation || r.operandWidth[0] != 32) return;
    const float v = rm::floatFromBits(static_cast<std::uint32_t>(r.operandBits[0]));
    if (v >= 0.0f && v < 256.0f) {
        result = static_cast<std::uint64_t>(static_cast<std::int64_t>(std::nearbyint(v)) & 0xff);
    }
}

// The environment a fault runs under, set and then restored.
struct Environment {
    int rounding = FE_TONEAREST;
    bool flushResults = false;
    bool zeroOperands = false;
};

class Under {
public:
    explicit Under(const Environment& e) {
        std::fesetround(e.rounding);
#if defined(__x86_64__) || defined(__i386__)
        saved_ = _mm_getcsr();
        _mm_setcsr((saved_ & ~0x8040u) | (e.flushResults ? 0x8000u : 0u) |
                   (e.zeroOperands ? 0x0040u : 0u));
#endif
    }
    ~Under() {
#if defined(__x86_64__) || defined(__i386__)
        _mm_setcsr(saved_);
#endif
        std::fesetround(FE_TONEAREST);
    }

private:
    unsigned saved_ = 0;
};

struct Fault {
    const char* name;
    Environment environment;
    void (*alter)(const TraceRecord&, std::uint64_t&);
    // The build lines whose readings a build with the fault gives, where its probes are compiled
    // code that the substitute does not reach.
    std::vector<std::pair<std::string, std::string>> probes;
    std::vector<std::string> operations;  // one of these forms the first value that differs
    std::string cause;                    // the start of the likely cause
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

std::string withBuildLines(std::string text,
                           const std::vector<std::pair<std::string, std::string>>& lines) {
    for (const auto& [name, value] : lines) {
        const std::string start = "# " + name + ": ";
        const std::size_t at = text.find(start);
        if (at == std::string::npos) continue;
        const std::size_t end = text.find('\n', at);
        text.replace(at, end - at, start + value);
    }
    return text;
}

// The bytes of row y as the faulty build renders them.
std::vector<std::uint8_t> faultyRow(const Fault& fault, int y) {
    std::vector<std::uint8_t> row(rm::kRowBytes);
    if (fault.alter == nullptr) {
        const Under under(fault.environment);
        rm::renderRow(kBestKernels, y, row.data(), rmtest::rowWorkspace());
        return row;
    }
    rm::tools::TraceLog log;
    log.muted = true;
    log.alter = fault.alter;
    for (int x = 0; x < rm::kImageWidth; ++x) {
        gKept.held = false;
        const rm::PixelBytes p = rm::reference::shadePixel(log, x, y);
        row[3 * x] = p.blue;
        row[3 * x + 1] = p.green;
        row[3 * x + 2] = p.red;
    }
    return row;
}

// The trace of a pixel as the faulty build writes it.
std::string faultyTrace(const Fault& fault, int x, int y) {
    gKept.held = false;
    if (fault.alter == nullptr) {
        const Under under(fault.environment);
        rm::tools::TraceOptions options;
        options.atStart = rm::tools::readFloatEnvironment();
        return rm::tools::tracePixelLog(kBestKernels, x, y, options).text;
    }
    return withBuildLines(rm::tools::tracePixelLog(kBestKernels, x, y, {}, fault.alter).text,
                          fault.probes);
}

// The comparison of the exact trace of a pixel (or of `exact`) with a faulty one.
std::string compare(int x, int y, const std::string& thereText,
                    const rm::tools::TraceLog* exact = nullptr) {
    rm::tools::TraceReader reader(rm::tools::textSource(thereText));
    rm::tools::TraceHeader header;
    std::string error;
    EXPECT_TRUE(rm::tools::readTraceHeader(reader, header, error)) << error;
    if (exact != nullptr)
        return rm::tools::compareTraces(*exact, header, reader, "faulty.trace").report;
    const rm::tools::TraceLog here = rm::tools::tracePixelLog(kBestKernels, x, y, header.options);
    return rm::tools::compareTraces(here, header, reader, "faulty.trace").report;
}

class FaultCatalogue : public testing::TestWithParam<Fault> {};

TEST_P(FaultCatalogue, FindsTheFirstPixelAndNamesTheOperationAndTheCause) {
    const Fault& fault = GetParam();
    // The first row that differs, within the bottom rows, where ground, sculpture and sky meet.
    std::vector<std::vector<std::uint8_t>> rows;
    int row = -1;
    int column = -1;
    for (int y = 0; y < 64 && row < 0; ++y) {
        std::vector<std::uint8_t> exact(rm::kRowBytes);
        rm::renderRow(kBestKernels, y, exact.data(), rmtest::rowWorkspace());
        rows.push_back(faultyRow(fault, y));
        for (int x = 0; x < rm::kImageWidth && row < 0; ++x) {
            if (std::memcmp(&exact[3 * x], &rows.back()[3 * x], 3) != 0) {
                row = y;
                column = x;
            }
        }
    }
    ASSERT_GE(row, 0) << fault.name << " changes none of the bottom 64 rows";

    // The finder, on an image of the rows up to that one.
    const std::string image = RAYMARCH_TEST_DIR "/fault-" + std::string(fault.name) + ".tga";
    {
        std::ofstream out(image, std::ios::binary);
        const rm::TgaHeader header = rm::makeTgaHeader();
        out.write(reinterpret_cast<const char*>(header.bytes), rm::kTgaHeaderSize);
        for (const auto& r : rows)
            out.write(reinterpret_cast<const char*>(r.data()), static_cast<long>(r.size()));
    }
    const rmtest::ChildResult finder =
        rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, {"--no-mask", image});
    EXPECT_EQ(finder.status, 1) << finder.err;
    EXPECT_NE(finder.out.find("first differing pixel: column " + std::to_string(column) + ", row " +
                              std::to_string(row) + " "),
              std::string::npos)
        << fault.name << ": expected column " << column << ", row " << row << "\n"
        << finder.out;

    // The comparison of that pixel's traces.
    const std::string report = compare(column, row, faultyTrace(fault, column, row));
    SCOPED_TRACE(report);
    EXPECT_NE(report.find("first difference: "), std::string::npos);
    bool named = false;
    for (const std::string& operation : fault.operations)
        named = named || report.find("  formed by: " + operation + " in ") != std::string::npos;
    EXPECT_TRUE(named) << fault.name;
    EXPECT_NE(report.find("the same in both traces:\n    "), std::string::npos);
    EXPECT_NE(report.find("likely cause: " + fault.cause), std::string::npos) << fault.name;
}

const std::vector<std::string> kRounding = {"sum",      "difference",  "product",
                                            "quotient", "square root", "conversion to float"};

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultCatalogue,
    testing::Values(
        Fault{"upward", {FE_UPWARD}, nullptr, {}, kRounding, "the rounding mode"},
        Fault{"downward", {FE_DOWNWARD}, nullptr, {}, kRounding, "the rounding mode"},
        Fault{"towardzero", {FE_TOWARDZERO}, nullptr, {}, kRounding, "the rounding mode"},
        Fault{"contraction",
              {},
              contract,
              {{"product rounded before adding", "float no, double no"}},
              {"sum", "difference"},
              "contraction"},
        Fault{"wide",
              {},
              keepWide,
              {{"product rounded before adding", "float no, double no"},
               {"each operation rounded to its width", "float no, double no"}},
              {"sum", "difference"},
              "excess precision"},
        Fault{"squareroot", {}, highSquareRoot, {}, {"square root"}, "unknown"},
        Fault{"floor", {}, truncatingFloor, {}, {"floor"}, "unknown"},
        Fault{"narrowing", {}, cutNarrowing, {}, {"conversion to float"}, "unknown"},
        Fault{"integer", {}, roundingConversion, {}, {"conversion to integer"}, "unknown"},
        Fault{"quotientunderdownward",
              {},
              highQuotient,
              {{"rounding", "float downward, double downward"}},
              {"quotient"},
              "unknown: the other build shows rounding downward, but that fault does not give"}),
    [](const testing::TestParamInfo<Fault>& param) { return std::string(param.param.name); });

// Flushing subnormal results or reading subnormal operands as zero changes nothing that the scene
// forms: no operation of the renderer or of the plain evaluation meets a subnormal number. Such
// a build gives the exact rows and traces, and its trace names the fault in its build lines
// only. Where a subnormal does part two traces, the comparison names the fault: shown on an
// evaluation of a few operations that meet one.
TEST(FlushingFaults, LeaveTheImageAndAreNamedWhereASubnormalParts) {
#if defined(__x86_64__) || defined(__i386__)
    for (const Environment environment :
         {Environment{FE_TONEAREST, true, false}, Environment{FE_TONEAREST, false, true}}) {
        for (int y = 0; y < rm::kImageHeight; y += 128) {
            std::vector<std::uint8_t> exact(rm::kRowBytes);
            std::vector<std::uint8_t> flushed(rm::kRowBytes);
            rm::renderRow(kBestKernels, y, exact.data(), rmtest::rowWorkspace());
            {
                const Under under(environment);
                rm::renderRow(kBestKernels, y, flushed.data(), rmtest::rowWorkspace());
            }
            EXPECT_EQ(exact, flushed) << "row " << y;
        }
        std::string there;
        {
            const Under under(environment);
            there = rm::tools::tracePixelLog(kBestKernels, 300, 300).text;
        }
        EXPECT_NE(there.find(environment.flushResults ? "# subnormal results: float flushed"
                                                      : "# subnormal operands: float zero"),
                  std::string::npos);
        const std::string report = compare(300, 300, there);
        EXPECT_NE(report.find("the traces agree at every value"), std::string::npos) << report;
        EXPECT_EQ(report.find("likely cause"), std::string::npos) << report;
    }
#endif
    // 2^-100 * 2^-30 is subnormal; 2^-140 * 2^64 has a subnormal operand.
    const auto evaluation = [](float a, float b, float c, float d) {
        rm::tools::TraceLog log;
        log.text =
            "# rounding: float nearest, double nearest\n"
            "# subnormal results: float kept, double kept\n"
            "# subnormal operands: float read, double read\n"
            "# product rounded before adding: float yes, double yes\n"
            "# each operation rounded to its width: float yes, double yes\n";
        log.value("column", 0);
        log.value("row", 0);
        log.value("tiny", log.value("a", a) * log.value("b", b));
        log.value("scaled", log.value("c", c) * log.value("d", d));
        return log;
    };
    const rm::tools::TraceLog here = evaluation(0x1p-100f, 0x1p-30f, 0x1p-140f, 0x1p64f);
    struct Case {
        const char* line;
        const char* reading;
        const char* key;
        const char* cause;
    };
    for (const Case& c : {Case{"# subnormal results: ", "float flushed, double flushed", "tiny",
                               "results flushed to zero"},
                          Case{"# subnormal operands: ", "float zero, double zero", "scaled",
                               "subnormal operands read as zero"}}) {
        std::string there = here.text;
        const std::size_t at = there.find(c.line) + std::strlen(c.line);
        there.replace(at, there.find('\n', at) - at, c.reading);
        const std::string key = std::string("\n") + c.key + " ";
        const std::size_t value = there.find(key) + key.size();
        there.replace(value, there.find('\n', value) - value, "00000000 0");
        const std::string report = compare(0, 0, there, &here);
        SCOPED_TRACE(report);
        EXPECT_NE(report.find(std::string("first difference: ") + c.key + " "), std::string::npos);
        EXPECT_NE(report.find("  formed by: product in "), std::string::npos);
        EXPECT_NE(report.find(std::string("likely cause: ") + c.cause), std::string::npos);
    }
    // The same values with no fault's signature in the build lines: no cause.
    std::string there = here.text;
    const std::size_t value = there.find("\ntiny ") + 6;
    there.replace(value, there.find('\n', value) - value, "00000000 0");
    const std::string report = compare(0, 0, there, &here);
    EXPECT_NE(report.find("likely cause: unknown: the other build's probes find its arithmetic as "
                          "it should be"),
              std::string::npos)
        << report;
}

#if defined(RAYMARCH_CONTRACTING_TRACE)
// A build of the trace whose compiler fuses multiply-adds: its operations one at a time agree
// with this build's, and the first value it compiles otherwise is named with its expression and
// the contraction that gives it.
TEST(RealFaultyBuilds, ContractionIsNamedAtTheFirstValueCompiledOtherwise) {
    if (!__builtin_cpu_supports("fma")) GTEST_SKIP() << "this processor has no fused multiply-add";
    const rmtest::ChildResult fused = rmtest::runCaptured(RAYMARCH_CONTRACTING_TRACE, {"26", "0"});
    ASSERT_EQ(fused.status, 0) << fused.err;
    const std::string file = RAYMARCH_TEST_DIR "/fault-contracting.trace";
    {
        std::ofstream out(file, std::ios::binary);
        out << fused.out;
    }
    const rmtest::ChildResult run =
        rmtest::runCaptured(RAYMARCH_TRACE_EXECUTABLE, {"26", "0", "--against", file});
    EXPECT_EQ(run.status, 1) << run.err;
    for (const char* expected :
         {" as the other build compiles it (line ", "  one operation at a time, in both traces: ",
          "whose operations, each done alone, agree in both traces:\n",
          "\n# product rounded before adding: float no, double no\n",
          "likely cause: contraction: "}) {
        EXPECT_NE((run.out + fused.out).find(expected), std::string::npos) << expected << "\n"
                                                                           << run.out;
    }
}
#endif

}  // namespace
