#include "trace/trace_log.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>

#include "math/float_bits.h"
#include "reference/trace.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/render_row.h"
#include "simd/simd_level.h"
#include "trace/build_lines.h"

namespace rm::tools {
namespace {

template <typename T>
void appendDecimal(std::string& text, T v) {
    char digits[64];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, v);
    text.append(digits, end.ptr);
}

std::string bytesText(const PixelBytes& p) {
    return "blue " + std::to_string(p.blue) + ", green " + std::to_string(p.green) + ", red " +
           std::to_string(p.red);
}

// Each operation's words, in the order of Operation: the word of its results among the
// intermediate keys of a value, and its name in a comparison.
struct OperationWords {
    const char* key;
    const char* name;
};

constexpr OperationWords kOperationWords[] = {
    {"given", "a value given to the evaluation"},
    {"copy", "a copy"},
    {"choice", "a choice by comparison"},
    {"sum", "sum"},
    {"difference", "difference"},
    {"product", "product"},
    {"quotient", "quotient"},
    {"negation", "negation"},
    {"magnitude", "magnitude"},
    {"root", "square root"},
    {"floor", "floor"},
    {"widened", "conversion to double"},
    {"narrowed", "conversion to float"},
    {"truncated", "conversion to integer"},
    {"arccosine", "arc cosine"},
    {"untraced", "operations this trace leaves out"},
    {"compiled", "the value's expression as compiled"},
};
static_assert(sizeof kOperationWords / sizeof kOperationWords[0] ==
              static_cast<int>(Operation::Compiled) + 1);

const char* keyWord(Operation operation) {
    return kOperationWords[static_cast<int>(operation)].key;
}

}  // namespace

const char kNotExplained[] = "# NOT EXPLAINED:";

const char* operationName(Operation operation) {
    return kOperationWords[static_cast<int>(operation)].name;
}

std::string valueText(int width, std::uint64_t bits) {
    std::string text;
    if (width == 32) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x ", static_cast<unsigned>(bits));
        text = hex;
        appendDecimal(text, floatFromBits(static_cast<std::uint32_t>(bits)));
    } else if (width == 64) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%016llx ", static_cast<unsigned long long>(bits));
        text = hex;
        appendDecimal(text, doubleFromBits(bits));
    } else {
        appendDecimal(text, static_cast<long long>(static_cast<std::int64_t>(bits)));
    }
    return text;
}

void CompiledLog::enter(const char* name, int index) {
    levels.push_back(key.size());
    key += name;
    if (index >= 0) key += std::to_string(index);
    key += '.';
}

void CompiledLog::leave() {
    key.resize(levels.back());
    levels.pop_back();
}

void CompiledLog::keep_(const char* name, float v) {
    values.push_back({key + name, 32, floatBits(v)});
}

void CompiledLog::keep_(const char* name, double v) {
    values.push_back({key + name, 64, doubleBits(v)});
}

void CompiledLog::keep_(const char* name, int v) {
    values.push_back({key + name, 0, static_cast<std::uint64_t>(static_cast<std::int64_t>(v))});
}

void TraceLog::checkCompiled_(int id) {
    if (compiled == nullptr || compiledParted) return;
    if (compiledNext >= compiled->size() || (*compiled)[compiledNext].key != records[id].key) {
        // The two evaluations went different ways without a named value that parts: nothing
        // more of them can be set side by side.
        compiledParted = true;
        return;
    }
    const CompiledValue& c = (*compiled)[compiledNext++];
    if (c.bits == records[id].bits) return;
    compiledParted = true;
    const int line = add_(Operation::Compiled, c.width, c.bits,
                          {id, records[id].width, records[id].bits}, Operand{});
    emit_(line, records[id].key + ".compiled", records[id].site);
}

void TraceLog::enter(const char* name, int index) {
    if (muted) return;
    levels.push_back(key.size());
    key += name;
    if (index >= 0) key += std::to_string(index);
    key += '.';
}

void TraceLog::leave() {
    if (muted) return;
    // Operations that no value named are written under the level they were done in.
    int counts[32] = {};
    for (const int id : pending) {
        const int kind = static_cast<int>(records[id].operation);
        emit_(id, key + keyWord(records[id].operation) + std::to_string(++counts[kind]),
              {nullptr, nullptr, 0});
    }
    pending.clear();
    key.resize(levels.back());
    levels.pop_back();
}

int TraceLog::add_(Operation operation, int width, std::uint64_t bits, Operand a, Operand b) {
    TraceRecord r;
    r.operation = operation;
    r.width = width;
    r.bits = bits;
    for (const Operand& o : {a, b}) {
        if (o.width < 0) continue;
        r.operand[r.operandCount] = o.id;
        r.operandWidth[r.operandCount] = o.width;
        r.operandBits[r.operandCount] = o.bits;
        ++r.operandCount;
    }
    records.push_back(r);
    return static_cast<int>(records.size()) - 1;
}

void TraceLog::emit_(int id, const std::string& lineKey, Site site) {
    TraceRecord& r = records[id];
    r.key = lineKey;
    r.site = site;
    lines.push_back(id);
    text += lineKey;
    text += ' ';
    text += valueText(r.width, r.bits);
    text += '\n';
}

int TraceLog::name_(const char* name, int id, Site site) {
    const std::string lineKey = key + name;
    const auto isPending = [&](int i) {
        return i >= 0 && std::find(pending.begin(), pending.end(), i) != pending.end();
    };
    if (!isPending(id)) {
        if (records[id].key.empty()) {
            emit_(id, lineKey, site);
            checkCompiled_(id);
            return id;
        }
        const int copy = add_(Operation::Copy, records[id].width, records[id].bits,
                              {id, records[id].width, records[id].bits}, Operand{});
        emit_(copy, lineKey, site);
        checkCompiled_(copy);
        return copy;
    }
    // The pending operations that the value comes from, each after its operands, the left one
    // first: the expression's own shape, so that two compilers that do the operands of a sum in
    // either order write the same keys in the same order.
    std::vector<int> tree;
    std::vector<std::pair<int, int>> stack = {{id, 0}};
    while (!stack.empty()) {
        auto& [at, next] = stack.back();
        const TraceRecord& r = records[at];
        if (next < r.operandCount) {
            const int o = r.operand[next++];
            if (isPending(o) && std::find(tree.begin(), tree.end(), o) == tree.end())
                stack.push_back({o, 0});
            continue;
        }
        if (std::find(tree.begin(), tree.end(), at) == tree.end()) tree.push_back(at);
        stack.pop_back();
    }
    int counts[32] = {};
    for (const int i : tree) {
        if (i == id) {
            emit_(i, lineKey, site);
        } else {
            const int kind = static_cast<int>(records[i].operation);
            emit_(i, lineKey + "." + keyWord(records[i].operation) + std::to_string(++counts[kind]),
                  site);
        }
        pending.erase(std::find(pending.begin(), pending.end(), i));
    }
    checkCompiled_(id);
    return id;
}

TraceLog tracePixelLog(const KernelTable& kernels, int x, int y, const TraceOptions& options,
                       void (*alter)(const TraceRecord&, std::uint64_t&)) {
    // The evaluation as this build compiles it, then one operation at a time beside it.
    CompiledLog compiled;
    compiled.withNoiseTerms = options.noiseTerms;
    compiled.withEveryCapsule = options.everyCapsule;
    compiled.value("column", x);
    compiled.value("row", y);
    const PixelBytes plain = reference::shadePixel(compiled, x, y);

    TraceLog log;
    log.compiled = alter == nullptr ? &compiled.values : nullptr;
    log.withNoiseTerms = options.noiseTerms;
    log.withEveryCapsule = options.everyCapsule;
    log.alter = alter;
    log.text = buildLines(options.atStart);
    log.text +=
        std::string("# noise terms: ") + (options.noiseTerms ? "traced" : "left out") + "\n";
    log.text += std::string("# capsules: ") + (options.everyCapsule ? "every" : "nearest") + "\n";
    log.value("column", x);
    log.value("row", y);
    reference::shadePixel(log, x, y);
    log.compiled = nullptr;

    // The renderer's own bytes: the whole row through the core library, as raymarch renders it.
    static std::uint8_t row[kRowBytes];
    const std::unique_ptr<RowWorkspace> work = std::make_unique<RowWorkspace>();
    renderRow(kernels, y, row, *work);
    const PixelBytes rendered = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    const char* path = simdLevelName(kernels.level);
    log.text += "# renderer path: ";
    log.text += path;
    log.text += '\n';
    log.value("renderer.pixel.blue", int{rendered.blue});
    log.value("renderer.pixel.green", int{rendered.green});
    log.value("renderer.pixel.red", int{rendered.red});
    if (rendered.blue != plain.blue || rendered.green != plain.green || rendered.red != plain.red) {
        log.text += kNotExplained;
        log.text += " this trace does not explain this build's image at this pixel: its renderer (";
        log.text += path;
        log.text += " path) writes " + bytesText(rendered) +
                    ", the plain evaluation traced above, as this build compiles it, gives " +
                    bytesText(plain) + "\n";
    }
    return log;
}

std::string tracePixel(const KernelTable& kernels, int x, int y, const TraceOptions& options) {
    return tracePixelLog(kernels, x, y, options).text;
}

}  // namespace rm::tools
