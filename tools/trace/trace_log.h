#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reference/traced.h"
#include "render/kernel_table.h"
#include "trace/float_readings.h"

namespace rm::tools {

using reference::Operation;
using reference::Site;

// One value of a trace: what formed it (the operation, the bits of its operands and the records
// that hold them, or -1 for a constant), its bits, and where the evaluation names it.
struct TraceRecord {
    std::string key;
    Operation operation = Operation::Given;
    int width = 0;           // 32 a float, 64 a double, 0 an integer
    std::uint64_t bits = 0;  // an integer's value as a 64-bit two's-complement pattern
    int operandCount = 0;
    int operand[2] = {-1, -1};
    int operandWidth[2] = {0, 0};
    std::uint64_t operandBits[2] = {0, 0};
    Site site = {nullptr, nullptr, 0};
};

// How a value's bits are written: a float's 8 and a double's 16 hex digits, each followed by the
// shortest decimal that reads back to it, or an integer's decimal.
std::string valueText(int width, std::uint64_t bits);

// An observer of the plain evaluation that records every operation it does, with this build's
// own arithmetic, and writes one line per value, in the order the values are formed: the key
// (the open levels and the value's name, joined by dots), then valueText. The operations since
// the last named value that form a named value are named after it: "<name>.<kind><n>" (sum1,
// product2, ...), the last one "<name>". With noiseTerms it also hears the operations inside the
// gradient noise (the ground's samples, the sky's octaves); with everyCapsule every capsule of
// the sculpture, not only the one whose distance is kept.
// "name<index>", the key of a value that comes in a numbered row.
inline std::string indexedName(const char* name, int index) {
    std::string text = name;
    text += std::to_string(index);
    return text;
}

// A named value of the evaluation as the build compiles it, one expression at a time.
struct CompiledValue {
    std::string key;
    int width = 0;
    std::uint64_t bits = 0;
};

// An observer of the plain evaluation, compiled as the plain evaluation is, on plain floats and
// doubles: it keeps each named value. Between two named values the compiler is free to do what
// it does to the renderer's arithmetic (fuse a product into a sum, keep a wider intermediate), so
// that a fault that spans operations shows where one operation at a time does not.
struct CompiledLog {
    using Float = float;
    using Double = double;
    std::vector<CompiledValue> values;
    std::string key;
    std::vector<std::size_t> levels;
    bool withNoiseTerms = true;
    bool withEveryCapsule = false;

    bool noiseTerms() const { return withNoiseTerms; }
    bool everyCapsule() const { return withEveryCapsule; }
    void enter(const char* name, int index = -1);
    void leave();
    template <typename T>
    T value(const char* name, T v, Site = {}) {
        keep_(name, v);
        return v;
    }
    template <typename T>
    T value(const char* name, int index, T v, Site = {}) {
        keep_(indexedName(name, index).c_str(), v);
        return v;
    }
    template <typename T>
    T chosen(const char* name, T v, T, T, Site = {}) {
        keep_(name, v);
        return v;
    }
    template <typename T, typename A, typename B>
    T untraced(T v, A, B) {
        return v;
    }

private:
    void keep_(const char* name, float v);
    void keep_(const char* name, double v);
    void keep_(const char* name, int v);
};

struct TraceLog {
    using Float = reference::Traced<TraceLog, float>;
    using Double = reference::Traced<TraceLog, double>;
    using Integer = reference::Traced<TraceLog, std::int32_t>;

    std::string text;
    std::vector<TraceRecord> records;  // by the order the values were formed
    std::vector<int> lines;            // records in the order of their lines
    std::string key;
    std::vector<std::size_t> levels;
    std::vector<int> pending;
    bool withNoiseTerms = true;
    bool withEveryCapsule = false;
    // For the tests only: a fault put into every operation's result, as a faulty build's
    // arithmetic would give it (null in the programs), and whether to record nothing, so that
    // whole rows of such an evaluation take seconds, not minutes.
    void (*alter)(const TraceRecord& operation, std::uint64_t& resultBits) = nullptr;
    bool muted = false;
    // The same evaluation's named values as this build compiles it: where the first of them
    // differs from its value formed one operation at a time, a line "<key>.compiled" follows.
    const std::vector<CompiledValue>* compiled = nullptr;
    std::size_t compiledNext = 0;
    bool compiledParted = false;

    bool noiseTerms() const { return withNoiseTerms; }
    bool everyCapsule() const { return withEveryCapsule; }
    void enter(const char* name, int index = -1);
    void leave();

    template <typename T>
    reference::Traced<TraceLog, T> value(const char* name, reference::Traced<TraceLog, T> v,
                                         Site site = Site::current()) {
        if (muted) return {v.v, this, -1};
        return {v.v, this, name_(name, record_(v), site)};
    }
    template <typename T>
    requires(std::same_as<T, float> || std::same_as<T, double> || std::same_as<T, std::int32_t>)
        reference::Traced<TraceLog, T> value(const char* name, T v, Site site = Site::current()) {
        return value(name, reference::Traced<TraceLog, T>(v), site);
    }
    template <typename T>
    auto value(const char* name, int index, T v, Site site = Site::current()) {
        return value(indexedName(name, index).c_str(), v, site);
    }
    template <typename T>
    reference::Traced<TraceLog, T> chosen(const char* name, reference::Traced<TraceLog, T> v,
                                          reference::Traced<TraceLog, T> a,
                                          reference::Traced<TraceLog, T> b,
                                          Site site = Site::current()) {
        if (muted) return {v.v, this, -1};
        const int id = add_(Operation::Choice, width_<T>(), bits_(v.v), operand_(a), operand_(b));
        return {v.v, this, name_(name, id, site)};
    }
    template <typename T, typename A, typename B>
    reference::Traced<TraceLog, T> untraced(reference::Traced<TraceLog, T> v, A a, B b) {
        return formed(Operation::Untraced, v.v, a, b);
    }

    // An operation done: its result, recorded until a named value takes it in.
    template <typename T, typename A, typename B>
    reference::Traced<TraceLog, T> formed(Operation operation, T result, A a, B b) {
        const bool unary = operation != Operation::Sum && operation != Operation::Difference &&
                           operation != Operation::Product && operation != Operation::Quotient &&
                           operation != Operation::Untraced;
        if (muted) {
            if (alter != nullptr) {
                TraceRecord r;
                r.operation = operation;
                r.width = width_<T>();
                r.bits = bits_(result);
                r.operandCount = unary ? 1 : 2;
                r.operandBits[0] = operand_(a).bits;
                r.operandWidth[0] = operand_(a).width;
                r.operandBits[1] = operand_(b).bits;
                r.operandWidth[1] = operand_(b).width;
                alter(r, r.bits);
                result = fromBits_<T>(r.bits);
            }
            return {result, this, -1};
        }
        const int id = add_(operation, width_<T>(), bits_(result), operand_(a),
                            unary ? Operand{} : operand_(b));
        if (alter != nullptr) {
            alter(records[id], records[id].bits);
            result = fromBits_<T>(records[id].bits);
        }
        pending.push_back(id);
        return {result, this, id};
    }

private:
    struct Operand {
        int id = -1;
        int width = -1;  // -1: no operand
        std::uint64_t bits = 0;
    };
    template <typename T>
    static constexpr int width_() {
        return std::same_as<T, float> ? 32 : std::same_as<T, double> ? 64 : 0;
    }
    static std::uint64_t bits_(float v) { return floatBits(v); }
    static std::uint64_t bits_(double v) { return doubleBits(v); }
    static std::uint64_t bits_(std::int32_t v) {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(v));
    }
    template <typename T>
    static T fromBits_(std::uint64_t b) {
        if constexpr (std::same_as<T, float>) {
            return floatFromBits(static_cast<std::uint32_t>(b));
        } else if constexpr (std::same_as<T, double>) {
            return doubleFromBits(b);
        } else {
            return static_cast<T>(static_cast<std::int64_t>(b));
        }
    }
    template <typename T>
    static Operand operand_(reference::Traced<TraceLog, T> v) {
        return {v.id, width_<T>(), bits_(v.v)};
    }
    template <typename T>
    int record_(reference::Traced<TraceLog, T> v) {
        if (v.id >= 0) return v.id;
        return add_(Operation::Given, width_<T>(), bits_(v.v), Operand{}, Operand{});
    }
    int add_(Operation operation, int width, std::uint64_t bits, Operand a, Operand b);
    int name_(const char* name, int id, Site site);
    void checkCompiled_(int id);
    void emit_(int id, const std::string& lineKey, Site site);
};

struct TraceOptions {
    bool noiseTerms = true;     // the operations inside the gradient noise
    bool everyCapsule = false;  // every capsule of the sculpture, not only the one kept
    // The floating-point environment as the program started, before it set its own.
    FloatEnvironmentReading atStart = {};
};

// The trace of pixel x of row y (0 is the bottom row), on the process-wide noise objects:
//   - the build lines (buildLines(options.atStart)) and the trace's own ("# noise terms:",
//     "# capsules:"),
//   - the plain evaluation's values, from column and row to pixel.{blue,green,red},
//   - "# renderer path: <path>", then renderer.pixel.{blue,green,red}: the bytes this build's
//     renderer writes for the pixel, from the row rendered through the core library with
//     `kernels` (the path is theirs), as raymarch renders it,
//   - where those differ from the bytes of the plain evaluation as this build compiles it (which
//     are pixel.* unless a ".compiled" line parts), the line kNotExplained and what each gives.
// `alter`, for the tests, puts a fault into the plain evaluation's arithmetic.
TraceLog tracePixelLog(const KernelTable& kernels, int x, int y, const TraceOptions& options = {},
                       void (*alter)(const TraceRecord&, std::uint64_t&) = nullptr);
std::string tracePixel(const KernelTable& kernels, int x, int y, const TraceOptions& options = {});

// The start of the line that says a trace does not explain this build's image at its pixel.
extern const char kNotExplained[];

// The words of an operation, as the comparison names it ("sum", "square root", ...), and the
// short word of its intermediate keys ("sum", "root", ...).
const char* operationName(Operation operation);

}  // namespace rm::tools
