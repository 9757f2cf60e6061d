#include "trace/trace_compare.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include "common/output.h"
#include "trace/exact_arithmetic.h"

namespace rm::tools {
namespace {

std::string hex(int width, std::uint64_t bits) {
    char text[24];
    if (width == 32) {
        std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(bits));
    } else {
        std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(bits));
    }
    return text;
}

const char* typeName(std::size_t digits) {
    return digits == 8 ? "float" : digits == 16 ? "double" : "integer";
}

std::string thereText(const TraceValue& v) {
    return printable(v.bits.empty() ? v.decimal : v.bits + " " + v.decimal);
}

std::string bitsText(int width, std::uint64_t bits) {
    if (width == 0) return std::to_string(static_cast<long long>(static_cast<std::int64_t>(bits)));
    char text[20];
    std::snprintf(text, sizeof text, width == 32 ? "%08llx" : "%016llx",
                  static_cast<unsigned long long>(bits));
    return text;
}

// The source file as the tree names it, from the path the compiler was given.
std::string sourceFile(const char* path) {
    const std::string p = path == nullptr ? "" : path;
    for (const char* root : {"/src/", "/tools/"}) {
        const std::size_t at = p.rfind(root);
        if (at != std::string::npos) return p.substr(at + 1);
    }
    return p;
}

// A function's name without its template arguments.
std::string functionName(const char* name) {
    std::string n = name == nullptr ? "" : name;
    const std::size_t angle = n.find('<');
    if (angle != std::string::npos) n.resize(angle);
    return n;
}

// The lines of the trace made here: its build lines (before the first value) and its notes.
struct HereLines {
    std::vector<std::pair<std::string, std::string>> build;
    std::vector<std::string> notes;
};

HereLines hereLines(const std::string& text) {
    HereLines lines;
    bool values = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] != '#') {
            values = true;
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (!values && colon != std::string::npos) {
            lines.build.emplace_back(line.substr(2, colon - 2), line.substr(colon + 2));
        } else if (values) {
            lines.notes.push_back(line);
        }
    }
    return lines;
}

std::string valueOf(const std::vector<std::pair<std::string, std::string>>& build,
                    const std::string& name) {
    for (const auto& [n, v] : build)
        if (n == name) return v;
    return "";
}

// What the other build's arithmetic is measured to do, from its build lines, each reading for
// float and double alike.
struct Signatures {
    std::string rounding;  // "" nearest, else the mode
    bool flushesResults = false;
    bool zeroesOperands = false;
    bool wide = false;
    bool contracts = false;
    bool measured = false;  // the lines are there at all
};

Signatures signaturesOf(const std::vector<std::pair<std::string, std::string>>& build) {
    Signatures s;
    const std::string rounding = valueOf(build, "rounding");
    const std::string results = valueOf(build, "subnormal results");
    const std::string operands = valueOf(build, "subnormal operands");
    const std::string product = valueOf(build, "product rounded before adding");
    const std::string width = valueOf(build, "each operation rounded to its width");
    s.measured = !rounding.empty() && !results.empty() && !operands.empty();
    for (const char* mode : {"upward", "downward", "toward zero", "unknown"}) {
        if (rounding.find(mode) != std::string::npos) s.rounding = mode;
    }
    s.flushesResults = results.find("flushed") != std::string::npos;
    s.zeroesOperands = operands.find("zero") != std::string::npos;
    s.wide = width.find(" no") != std::string::npos;
    s.contracts = !s.wide && product.find(" no") != std::string::npos;
    return s;
}

std::vector<std::string> signatureNames(const Signatures& s) {
    std::vector<std::string> names;
    if (!s.rounding.empty()) names.push_back("rounding " + s.rounding);
    if (s.flushesResults) names.push_back("subnormal results flushed to zero");
    if (s.zeroesOperands) names.push_back("subnormal operands read as zero");
    if (s.wide) names.push_back("intermediate results wider than their type");
    if (s.contracts) names.push_back("products not rounded before adding (contraction)");
    return names;
}

RoundingMode roundingOf(const std::string& mode) {
    if (mode == "upward") return RoundingMode::Upward;
    if (mode == "downward") return RoundingMode::Downward;
    if (mode == "toward zero") return RoundingMode::TowardZero;
    return RoundingMode::Nearest;
}

// An operation's result in exact arithmetic under an environment; false where the operation is
// not one that rounds (or not one this can form).
bool exactResult(const TraceRecord& r, const ArithmeticEnvironment& e, std::uint64_t& out) {
    const std::uint64_t a = r.operandBits[0];
    const std::uint64_t b = r.operandBits[1];
    const bool single = r.width == 32;
    const auto f = [](std::uint64_t v) { return static_cast<std::uint32_t>(v); };
    switch (r.operation) {
        case Operation::Sum:
            out = single ? exactSum(f(a), f(b), e) : exactSum(a, b, e);
            return true;
        case Operation::Difference:
            out = single ? exactDifference(f(a), f(b), e) : exactDifference(a, b, e);
            return true;
        case Operation::Product:
            out = single ? exactProduct(f(a), f(b), e) : exactProduct(a, b, e);
            return true;
        case Operation::Quotient:
            out = single ? exactQuotient(f(a), f(b), e) : exactQuotient(a, b, e);
            return true;
        case Operation::SquareRoot:
            out = single ? exactSquareRoot(f(a), e) : exactSquareRoot(a, e);
            return true;
        case Operation::Widening:
            out = exactWiden(f(a), e);
            return true;
        case Operation::Narrowing:
            out = exactNarrow(a, e);
            return true;
        case Operation::Floor:
            out = exactFloor(a);
            return true;
        case Operation::Negation:
            out = a ^ (single ? 0x80000000ull : 0x8000000000000000ull);
            return true;
        case Operation::Magnitude:
            out = a & (single ? 0x7fffffffull : 0x7fffffffffffffffull);
            return true;
        default:
            return false;
    }
}

bool isNaN(int width, std::uint64_t bits) {
    return width == 32 ? (bits & 0x7fffffffull) > 0x7f800000ull
                       : (bits & 0x7fffffffffffffffull) > 0x7ff0000000000000ull;
}

// The operation as one line of plain words: "single-precision square root of 0x...".
std::string operationWords(const TraceRecord& r) {
    const std::string width = r.width == 32 ? "single-precision " : "double-precision ";
    const std::string a = r.operandCount > 0 ? hex(r.operandWidth[0], r.operandBits[0]) : "";
    const std::string b = r.operandCount > 1 ? hex(r.operandWidth[1], r.operandBits[1]) : "";
    switch (r.operation) {
        case Operation::Sum:
            return width + "sum of " + a + " and " + b;
        case Operation::Difference:
            return width + "difference " + a + " - " + b;
        case Operation::Product:
            return width + "product of " + a + " and " + b;
        case Operation::Quotient:
            return width + "quotient " + a + " / " + b;
        case Operation::SquareRoot:
            return width + "square root of " + a;
        case Operation::Negation:
            return width + "negation of " + a;
        case Operation::Magnitude:
            return width + "magnitude of " + a;
        case Operation::Floor:
            return "floor of the double " + a;
        case Operation::Widening:
            return "conversion of the float " + a + " to double";
        case Operation::Narrowing:
            return "conversion of the double " + a + " to float";
        case Operation::Truncation:
            return "conversion of the " +
                   std::string(r.operandWidth[0] == 32 ? "float " : "double ") + a +
                   " to an integer";
        case Operation::ArcCosine:
            return "arc cosine of the float " + a;
        default:
            return operationName(r.operation);
    }
}

// The result the other build's trace has, as bits of the record's width.
bool thereBits(const TraceRecord& r, const TraceValue& v, std::uint64_t& bits) {
    if (r.width == 0) {
        try {
            bits = static_cast<std::uint64_t>(std::stoll(v.decimal));
        } catch (...) {
            return false;
        }
        return true;
    }
    if (v.bits.size() * 4 != static_cast<std::size_t>(r.width)) return false;
    bits = std::stoull(v.bits, nullptr, 16);
    return true;
}

// Whether the other build's result is what a fused multiply-add gives where one operand of a
// sum or difference is a product done just before it.
bool contractionGives(const TraceLog& here, const TraceRecord& r, std::uint64_t result) {
    if (r.operation != Operation::Sum && r.operation != Operation::Difference) return false;
    for (int k = 0; k < 2; ++k) {
        const int id = r.operand[k];
        if (id < 0 || here.records[id].operation != Operation::Product) continue;
        const TraceRecord& p = here.records[id];
        std::uint64_t other = r.operandBits[1 - k];
        std::uint64_t x = p.operandBits[0];
        const std::uint64_t sign = r.width == 32 ? 0x80000000ull : 0x8000000000000000ull;
        // a - b*c is (-b)*c + a; b*c - a is b*c + (-a).
        if (r.operation == Operation::Difference) {
            if (k == 1)
                x ^= sign;
            else
                other ^= sign;
        }
        const std::uint64_t fused =
            r.width == 32 ? exactFusedMultiplyAdd(static_cast<std::uint32_t>(x),
                                                  static_cast<std::uint32_t>(p.operandBits[1]),
                                                  static_cast<std::uint32_t>(other))
                          : exactFusedMultiplyAdd(x, p.operandBits[1], other);
        if (fused == result) return true;
    }
    return false;
}

// Whether the other build's result is what keeping the operands' products and sums wider than a
// float gives: the operation on operands re-formed in double, and one rounding to float at the
// end; a floor formed by rounding gives its operand back.
bool wideGives(const TraceLog& here, const TraceRecord& r, std::uint64_t result) {
    if (r.operation == Operation::Floor) return result == r.operandBits[0];
    if (r.width != 32) return false;
    if (r.operation != Operation::Sum && r.operation != Operation::Difference &&
        r.operation != Operation::Product && r.operation != Operation::Quotient) {
        return false;
    }
    // Each operand as the wider unit holds it: a product of two floats is exact in double.
    std::uint64_t wide[2];
    for (int k = 0; k < 2; ++k) {
        const int id = r.operand[k];
        if (id >= 0 && here.records[id].operation == Operation::Product &&
            here.records[id].width == 32) {
            const TraceRecord& p = here.records[id];
            wide[k] = exactProduct(exactWiden(static_cast<std::uint32_t>(p.operandBits[0])),
                                   exactWiden(static_cast<std::uint32_t>(p.operandBits[1])));
        } else {
            wide[k] = exactWiden(static_cast<std::uint32_t>(r.operandBits[k]));
        }
    }
    TraceRecord d = r;
    d.width = 64;
    d.operandBits[0] = wide[0];
    d.operandBits[1] = wide[1];
    std::uint64_t sum = 0;
    if (!exactResult(d, {}, sum)) return false;
    return exactNarrow(sum) == result;
}

// The operations that form a named value, one at a time, as this trace made them: the lines just
// before it whose keys are its own, then its own line.
std::vector<int> expressionOf(const TraceLog& here, std::size_t line) {
    const std::string& key = here.records[here.lines[line]].key;
    std::vector<int> ids = {here.lines[line]};
    for (std::size_t j = line; j-- > 0;) {
        const TraceRecord& r = here.records[here.lines[j]];
        if (r.key.compare(0, key.size() + 1, key + ".") != 0) break;
        ids.insert(ids.begin(), here.lines[j]);
    }
    return ids;
}

// How a build might compile an expression otherwise than one operation at a time.
enum class Compilation { Fused, Wide };

// The expression's value compiled one way: with the sum or difference `only` (or every one,
// where `only` is -1) that takes a product of the expression fused with it into one rounding, or
// with every float operation done in double and one rounding to float at the end. False where
// an operation is not one this can form.
bool compiledValue(const TraceLog& here, const std::vector<int>& ids, Compilation how, int only,
                   std::uint64_t& out) {
    std::vector<std::pair<int, std::uint64_t>> formed;  // record, bits (doubles under Wide)
    const auto valueOf = [&](int id, std::uint64_t recorded, int width) {
        for (const auto& [i, b] : formed)
            if (i == id) return b;
        return how == Compilation::Wide && width == 32
                   ? exactWiden(static_cast<std::uint32_t>(recorded))
                   : recorded;
    };
    int sums = 0;
    for (const int id : ids) {
        TraceRecord r = here.records[id];
        for (int k = 0; k < r.operandCount; ++k)
            r.operandBits[k] = valueOf(r.operand[k], r.operandBits[k], r.operandWidth[k]);
        std::uint64_t bits = 0;
        if (how == Compilation::Wide) {
            if (r.width != 32) return false;
            r.width = 64;
            for (int k = 0; k < r.operandCount; ++k)
                r.operandWidth[k] = 64;
            if (r.operation == Operation::Copy || r.operation == Operation::Given) {
                bits = r.operandCount > 0 ? r.operandBits[0]
                                          : exactWiden(static_cast<std::uint32_t>(r.bits));
            } else if (!exactResult(r, {}, bits)) {
                return false;
            }
        } else {
            bool fused = false;
            if (r.operation == Operation::Sum || r.operation == Operation::Difference) {
                for (int k = 0; k < 2 && !fused; ++k) {
                    const int p = r.operand[k];
                    if (p < 0 || here.records[p].operation != Operation::Product) continue;
                    bool inside = false;
                    for (const int id2 : ids)
                        inside = inside || id2 == p;
                    if (!inside || (only >= 0 && sums != only)) continue;
                    TraceRecord product = here.records[p];
                    for (int m = 0; m < 2; ++m)
                        product.operandBits[m] =
                            valueOf(product.operand[m], product.operandBits[m], product.width);
                    std::uint64_t x = product.operandBits[0];
                    std::uint64_t other = r.operandBits[1 - k];
                    const std::uint64_t sign =
                        r.width == 32 ? 0x80000000ull : 0x8000000000000000ull;
                    if (r.operation == Operation::Difference) {
                        if (k == 1)
                            x ^= sign;
                        else
                            other ^= sign;
                    }
                    bits = r.width == 32 ? exactFusedMultiplyAdd(
                                               static_cast<std::uint32_t>(x),
                                               static_cast<std::uint32_t>(product.operandBits[1]),
                                               static_cast<std::uint32_t>(other))
                                         : exactFusedMultiplyAdd(x, product.operandBits[1], other);
                    fused = true;
                }
                ++sums;
            }
            if (!fused) {
                if (r.operation == Operation::Copy || r.operation == Operation::Given) {
                    bits = r.operandCount > 0 ? r.operandBits[0] : r.bits;
                } else if (!exactResult(r, {}, bits)) {
                    return false;
                }
            }
        }
        formed.emplace_back(id, bits);
    }
    out = how == Compilation::Wide ? exactNarrow(formed.back().second) : formed.back().second;
    return true;
}

// Whether compiling the expression one of these ways gives the other build's value.
bool compilationGives(const TraceLog& here, const std::vector<int>& ids, Compilation how,
                      std::uint64_t result) {
    std::uint64_t v = 0;
    if (how == Compilation::Wide) return compiledValue(here, ids, how, -1, v) && v == result;
    if (compiledValue(here, ids, how, -1, v) && v == result) return true;
    for (int only = 0; only < static_cast<int>(ids.size()); ++only) {
        if (compiledValue(here, ids, how, only, v) && v == result) return true;
    }
    return false;
}

struct Verdict {
    std::string cause;  // "" unknown
    std::string why;    // for unknown: what the probes and the operation say
};

// The likely cause of the first difference: at the result of one operation, or, with
// `expression`, at a named value that the other build compiles otherwise than its operations one
// at a time.
Verdict likelyCause(const TraceLog& here, const HereLines& hereBuild, const TraceHeader& there,
                    const TraceRecord& r, bool haveResult, std::uint64_t result,
                    const std::vector<int>* expression = nullptr) {
    Verdict v;
    const Signatures mine = signaturesOf(hereBuild.build);
    const std::vector<std::string> mineNames = signatureNames(mine);
    if (!mineNames.empty()) {
        v.why = "this build is not exact itself (its probes show " + mineNames[0] +
                "): compare with a trace made by a build that passes the tests";
        return v;
    }
    const Signatures s = signaturesOf(there.build);
    const std::vector<std::string> names = signatureNames(s);
    const std::string readings =
        "its probes: rounding " + printable(buildValue(there, "rounding")) +
        "; subnormal results " + printable(buildValue(there, "subnormal results")) +
        "; subnormal operands " + printable(buildValue(there, "subnormal operands")) +
        "; product rounded before adding " +
        printable(buildValue(there, "product rounded before adding")) +
        "; each operation rounded to its width " +
        printable(buildValue(there, "each operation rounded to its width"));
    if (!s.measured) {
        v.why =
            "the other trace has no probes of its floating-point environment (made by an "
            "older raymarch_trace), so no cause can be told";
        return v;
    }
    if (names.size() > 1) {
        std::string list;
        for (const std::string& n : names)
            list += (list.empty() ? "" : ", ") + n;
        v.why = "the other build shows more than one fault (" + list +
                "), and a difference cannot be put down to one of them (" + readings + ")";
        return v;
    }
    if (names.empty()) {
        v.why = "the other build's probes find its arithmetic as it should be (" + readings + ")";
        return v;
    }
    if (!haveResult) {
        v.why = "the other build shows " + names[0] +
                ", but the value that parts is not one that fault forms (" + readings + ")";
        return v;
    }
    const std::string target = buildValue(there, "target");
    bool explains = false;
    if (expression != nullptr && !s.contracts && !s.wide) {
        explains = false;
    } else if (!s.rounding.empty() && s.rounding != "unknown") {
        std::uint64_t e = 0;
        explains = exactResult(r, {roundingOf(s.rounding), false, false}, e) && e == result;
        if (explains) {
            const std::string start = buildValue(there, "rounding at start");
            const std::string control = buildValue(there, "floating-point control");
            v.cause = "the rounding mode: the other build rounds " + s.rounding +
                      " (its probes: " + printable(buildValue(there, "rounding")) +
                      "), and rounding the operation " + s.rounding +
                      " gives its result. Its floating-point control ";
            if (control.rfind("set", 0) == 0) {
                v.cause += "was set to round to nearest (" + printable(control) +
                           ") and it still rounds " + s.rounding +
                           (start.empty() ? "" : " (at start: " + printable(start) + ")") +
                           ": the processor or emulator ignores the rounding control";
            } else {
                v.cause += "was not set by the program (" +
                           printable(control.empty() ? "no such line" : control) +
                           "): the host left it " + s.rounding +
                           "; set the rounding to nearest at start";
            }
        }
    } else if (s.flushesResults || s.zeroesOperands) {
        const bool flush = s.flushesResults;
        std::uint64_t e = 0;
        explains = exactResult(r, {RoundingMode::Nearest, flush, !flush}, e) && e == result;
        if (explains) {
            v.cause =
                std::string(flush ? "results flushed to zero: the other build turns "
                                    "subnormal results into zero"
                                  : "subnormal operands read as zero: the other build "
                                    "reads subnormal operands as zero") +
                " (its probe: " +
                printable(buildValue(there, flush ? "subnormal results" : "subnormal operands")) +
                "), which gives its result here. Clear the " +
                (flush ? "flush-to-zero" : "denormals-are-zero") +
                " control at start, and build without options that set it";
        }
    } else if (s.contracts) {
        explains = expression != nullptr
                       ? compilationGives(here, *expression, Compilation::Fused, result)
                       : contractionGives(here, r, result);
        if (explains) {
            v.cause =
                "contraction: the other build fuses a product and an add into one operation "
                "that rounds once (its probe of a * b + c: " +
                printable(buildValue(there, "product rounded before adding")) +
                "), and fusing a product of this expression with the sum that takes it gives its "
                "result. Build with "
                "-ffp-contract=off, and nothing of fast-math";
        }
    } else if (s.wide) {
        explains = expression != nullptr
                       ? compilationGives(here, *expression, Compilation::Wide, result)
                       : wideGives(here, r, result);
        if (explains) {
            v.cause =
                "excess precision: the other build keeps intermediate results wider than "
                "their type (its probe of (a + b) - a: " +
                printable(buildValue(there, "each operation rounded to its width")) +
                "; its FLT_EVAL_METHOD: " + printable(buildValue(there, "FLT_EVAL_METHOD")) +
                "), and doing the operations in the wider type gives its result here. Every "
                "operation must round to its own width (FLT_EVAL_METHOD 0)";
            if (target == "i386") {
                v.cause += ": on 32-bit x86 build with -msse2 -mfpmath=sse";
            } else if (target == "m68k") {
                v.cause += ": on m68k build for the 68040 or 68060 (-m68040)";
            }
            if (r.operation == Operation::Floor) {
                v.cause +=
                    ". Its floor is formed by the rounding of |v| + 2^52, which relies on "
                    "that addition being rounded to a double";
            }
        }
    }
    if (!explains) {
        v.why = "the other build shows " + names[0] +
                ", but that fault does not give its result for this operation (" + readings + ")";
    }
    return v;
}

std::string thereNotes(const std::vector<std::string>& notes, const std::string& name) {
    std::string r;
    for (const std::string& note : notes) {
        if (note.rfind(kNotExplained, 0) != 0) continue;
        const std::string marker = "at this pixel:";
        const std::size_t at = note.find(marker);
        r += "warning: ";
        r += name;
        r += " does not explain its build's image at this pixel";
        if (at != std::string::npos) {
            r += ':';
            r += printable(note.substr(at + marker.size()));
        }
        r += '\n';
    }
    return r;
}

}  // namespace

long long unitsInTheLastPlace(const std::string& bitsA, const std::string& bitsB) {
    if (bitsA.size() != bitsB.size() || (bitsA.size() != 8 && bitsA.size() != 16)) return -1;
    const unsigned long long a = std::stoull(bitsA, nullptr, 16);
    const unsigned long long b = std::stoull(bitsB, nullptr, 16);
    const unsigned long long sign = bitsA.size() == 8 ? 0x80000000ull : 0x8000000000000000ull;
    const unsigned long long ma = a & ~sign;
    const unsigned long long mb = b & ~sign;
    // From one to the other through zero when the signs differ (+0 and -0 are one apart).
    const unsigned long long d =
        (a & sign) == (b & sign) ? (ma > mb ? ma - mb : mb - ma) : ma + mb + 1;
    return d > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(d);
}

Comparison compareTraces(const TraceLog& here, const TraceHeader& thereHeader, TraceReader& there,
                         const std::string& thereName) {
    Comparison result;
    std::string& r = result.report;
    const HereLines mine = hereLines(here.text);
    const auto hereValue = [&](std::size_t i) -> const TraceRecord& {
        return here.records[here.lines[i]];
    };

    // Every value of the other trace in turn, the first from its header. A line that is neither
    // a value nor a '#' line, or one that cannot be read, makes it no trace.
    std::vector<std::string> notes;
    TraceValue v = thereHeader.firstValue;
    std::string line;
    bool bad = false;
    const auto nextValue = [&]() -> bool {
        while (there.next(line)) {
            if (line.empty()) continue;
            if (line[0] == '#') {
                // A trace has a few notes at its end; more are not kept.
                if (notes.size() < 64) notes.push_back(line);
                continue;
            }
            if (!parseValueLine(line, v)) {
                bad = true;
                return false;
            }
            v.line = there.lineNumber();
            return true;
        }
        bad = !there.error().empty();
        return false;
    };
    const auto badLine = [&]() {
        r = there.error().empty()
                ? thereName + " is not a trace: line " + std::to_string(there.lineNumber()) +
                      " is not a line of a trace\n"
                : thereName + ": " + there.error() + "\n";
        result.status = 2;
    };
    const std::string notAPixel =
        thereName + " is not a trace: it does not start with the column and row of a pixel\n";

    // Column and row first.
    if (!thereHeader.hasFirstValue) {
        r = thereName + " is not a trace: it has no values\n";
        return result;
    }
    const TraceValue column = v;
    if (!nextValue()) {
        if (bad) {
            badLine();
        } else {
            r = notAPixel;
        }
        return result;
    }
    const TraceValue row = v;
    if (column.key != "column" || row.key != "row" || here.lines.size() < 2) {
        r = notAPixel;
        return result;
    }
    const std::string hereColumn = bitsText(0, hereValue(0).bits);
    const std::string hereRow = bitsText(0, hereValue(1).bits);
    if (column.decimal != hereColumn || row.decimal != hereRow) {
        r = thereName + " traces column " + printable(column.decimal) + ", row " +
            printable(row.decimal) + ", not column " + hereColumn + ", row " + hereRow + "\n";
        return result;
    }
    r += "comparing the trace of column " + hereColumn + ", row " + hereRow + " made here with " +
         thereName + "\n";

    // Value by value, until the first that differs.
    std::size_t i = 0;
    bool differs = false;
    bool keysDiffer = false;
    bool compiledDiffers = false;
    bool thereEnded = false;
    v = column;
    for (;;) {
        if (i == here.lines.size()) break;
        const TraceRecord& h = hereValue(i);
        if (v.key != h.key) {
            compiledDiffers = i > 0 && v.key == hereValue(i - 1).key + ".compiled";
            keysDiffer = !compiledDiffers;
            break;
        }
        const bool same = h.width == 0 ? v.bits.empty() && v.decimal == bitsText(0, h.bits)
                                       : v.bits == bitsText(h.width, h.bits);
        if (!same) {
            differs = true;
            break;
        }
        ++i;
        if (i == 1) {
            v = row;
        } else if (!nextValue()) {
            if (bad) {
                badLine();
                return result;
            }
            thereEnded = true;
            break;
        }
    }

    if (thereEnded && i == here.lines.size()) {
        r += "the traces agree at every value (" + std::to_string(i) + " values)\n";
    } else if (thereEnded) {
        r += "the traces agree at all " + std::to_string(i) + " values of the trace in " +
             thereName + ", and the other goes on: " + hereValue(i).key + "\n";
    } else if (i == here.lines.size()) {
        r += "the traces agree at all " + std::to_string(i) +
             " values of the trace made here, and the other goes on: " + printable(v.key) + "\n";
    } else if (compiledDiffers) {
    } else if (keysDiffer) {
        r += "the traces part at value " + std::to_string(i + 1) + ", where their keys differ:\n";
        r += "  here:  " + hereValue(i).key + " " +
             valueText(hereValue(i).width, hereValue(i).bits) + "\n";
        r += "  there: " + printable(v.key) + " " + thereText(v) + " (line " +
             std::to_string(v.line) + ")\n";
        r += "  (the same evaluation forms the same keys: one of them was made by another "
             "version of raymarch_trace, or with other options)\n";
    }

    // A named value that the other build compiles otherwise than its operations one at a time.
    std::string causeLine;
    if (compiledDiffers) {
        const TraceRecord& h = hereValue(i - 1);
        const std::vector<int> expression = expressionOf(here, i - 1);
        r += "first difference: " + h.key + " as the other build compiles it (line " +
             std::to_string(v.line) + " of " + thereName + ")\n";
        r += "  one operation at a time, in both traces: " + valueText(h.width, h.bits) + "\n";
        r += "  compiled there:                          " + thereText(v) + "\n";
        std::uint64_t otherBits = 0;
        const bool haveResult = thereBits(h, v, otherBits);
        if (h.width != 0 && haveResult) {
            const long long ulps =
                unitsInTheLastPlace(bitsText(h.width, h.bits), bitsText(h.width, otherBits));
            r += "  distance: " + std::to_string(ulps) + " unit" + (ulps == 1 ? "" : "s") +
                 " in the last place of a " + typeName(h.width / 4) + "\n";
        }
        r += "  formed by: the expression" +
             (h.site.function == nullptr
                  ? std::string()
                  : " in " + functionName(h.site.function) + " (" + sourceFile(h.site.file) + ":" +
                        std::to_string(h.site.line) + ")") +
             ", whose operations, each done alone, agree in both traces:\n";
        for (const int id : expression) {
            const TraceRecord& e = here.records[id];
            r += "    " + e.key + " " + valueText(e.width, e.bits) + " (" +
                 operationName(e.operation) + ")\n";
        }
        r += "  the other build computes the expression otherwise than one rounded operation "
             "after another: a fault of how it is compiled, not of one operation\n";
        const Verdict verdict =
            likelyCause(here, mine, thereHeader, h, haveResult, otherBits, &expression);
        causeLine = verdict.cause.empty() ? "likely cause: unknown: " + verdict.why + "\n"
                                          : "likely cause: " + verdict.cause + "\n";
    }

    // The first value that differs: the operation that formed it.
    if (differs) {
        const TraceRecord& h = hereValue(i);
        r += "first difference: " + h.key + " (value " + std::to_string(i + 1) + ", line " +
             std::to_string(v.line) + " of " + thereName + ")\n";
        r += "  here:  " + valueText(h.width, h.bits) + "\n";
        r += "  there: " + thereText(v) + "\n";
        std::uint64_t otherBits = 0;
        const bool haveResult = thereBits(h, v, otherBits);
        if (h.width != 0 && haveResult) {
            const long long ulps =
                unitsInTheLastPlace(bitsText(h.width, h.bits), bitsText(h.width, otherBits));
            r += "  distance: " + std::to_string(ulps) + " unit" + (ulps == 1 ? "" : "s") +
                 " in the last place of a " + typeName(h.width / 4) + "\n";
        } else if (h.width == 0 && haveResult) {
            r +=
                "  distance: " +
                std::to_string(static_cast<long long>(otherBits) - static_cast<long long>(h.bits)) +
                " (integers)\n";
        } else {
            r += std::string("  distance: none, a ") + typeName(h.width / 4) + " here and a " +
                 typeName(v.bits.size()) + " there\n";
        }
        const std::string where = h.site.function == nullptr
                                      ? std::string()
                                      : " in " + functionName(h.site.function) + " (" +
                                            sourceFile(h.site.file) + ":" +
                                            std::to_string(h.site.line) + ")";
        r += std::string("  formed by: ") + operationName(h.operation) + where + "\n";
        if (h.operandCount > 0) {
            r += h.operandCount == 1 ? "  its operand, the same in both traces:\n"
                                     : "  its operands, the same in both traces:\n";
            for (int k = 0; k < h.operandCount; ++k) {
                const int id = h.operand[k];
                r += "    " +
                     (id >= 0 && !here.records[id].key.empty() ? here.records[id].key
                                                               : std::string("a constant")) +
                     " " + valueText(h.operandWidth[k], h.operandBits[k]) + "\n";
            }
        }
        std::uint64_t correct = 0;
        const bool rounds = haveResult && exactResult(h, {}, correct);
        if (rounds && !(isNaN(h.width, correct) && isNaN(h.width, otherBits))) {
            const bool rounding =
                h.operation != Operation::Floor && h.operation != Operation::Negation &&
                h.operation != Operation::Magnitude && h.operation != Operation::Widening;
            r += "  the other build's " + operationWords(h) + " gives " + hex(h.width, otherBits) +
                 (rounding ? "; the correctly rounded result is " : "; the right result is ") +
                 hex(h.width, correct) + "\n";
            if (correct != h.bits) {
                r += "  (this build's own result, " + hex(h.width, h.bits) +
                     ", is not the correctly rounded one either: this build is not exact)\n";
            }
        } else if (haveResult &&
                   (h.operation == Operation::ArcCosine || h.operation == Operation::Truncation)) {
            r += "  the other build's " + operationWords(h) + " gives " +
                 (h.width == 0 ? bitsText(0, otherBits) : hex(h.width, otherBits)) +
                 "; the right result is " +
                 (h.width == 0 ? bitsText(0, h.bits) : hex(h.width, h.bits)) + "\n";
        } else if (h.operation == Operation::Untraced) {
            r += "  the operations that form it are not in these traces: trace them on both "
                 "sides without --no-noise-terms\n";
        } else if (h.operation == Operation::Choice) {
            r += "  the other build's comparison chose another of the operands (or a bound)\n";
        } else if (h.key.size() >= 7 && h.key.compare(h.key.size() - 7, 7, "nearest") == 0) {
            r += "  another capsule is the nearest there: the capsules' terms are all in traces "
                 "made with --every-capsule, on both sides\n";
        }
        const Verdict verdict =
            h.key.rfind("renderer.", 0) == 0
                ? Verdict{"not the arithmetic that the trace follows: the plain evaluation agrees "
                          "at every value, and only the bytes that the renderer writes differ. The "
                          "fault lies in the renderer's own path (" +
                              [&] {
                                  for (const std::string& note : notes)
                                      if (note.rfind("# renderer path: ", 0) == 0)
                                          return printable(note.substr(17));
                                  return std::string("named in its trace");
                              }() +
                              "), which this trace does not follow",
                          ""}
                : likelyCause(here, mine, thereHeader, h, haveResult, otherBits);
        causeLine = verdict.cause.empty() ? "likely cause: unknown: " + verdict.why + "\n"
                                          : "likely cause: " + verdict.cause + "\n";
    }

    // The rest of the other trace, for its notes.
    if (!thereEnded) {
        while (there.next(line)) {
            if (!line.empty() && line[0] == '#' && notes.size() < 64) notes.push_back(line);
        }
        if (!there.error().empty()) {
            r = thereName + ": " + there.error() + "\n";
            result.status = 2;
            return result;
        }
    }

    // The build lines, where they differ.
    std::string buildDiffers;
    if (thereHeader.build.empty()) {
        buildDiffers = "  " + thereName + " has no build lines (made before traces had them)\n";
    } else {
        for (const auto& [name, value] : mine.build) {
            const std::string other = buildValue(thereHeader, name);
            if (other == value) continue;
            buildDiffers += "  here:  # " + name + ": " + value + "\n";
            buildDiffers += "  there: # " + name + ": " +
                            (other.empty() ? "(no such line)" : printable(other)) + "\n";
        }
    }
    r += buildDiffers.empty() ? "build lines: the same\n"
                              : "build lines that differ:\n" + buildDiffers;
    r += causeLine;
    r += thereNotes(mine.notes, "the trace made here");
    r += thereNotes(notes, thereName);
    result.status = thereEnded && i == here.lines.size() ? 0 : 1;
    return result;
}

}  // namespace rm::tools
