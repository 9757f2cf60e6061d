#include "trace/trace_compare.h"

#include <climits>
#include <cstdint>
#include <regex>
#include <sstream>

#include "trace/trace_log.h"

namespace rm::tools {
namespace {

bool isHex(const std::string& s) {
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// Which function forms the value of a key, by the key's form: the first entry whose pattern
// matches the whole key. Keys nest (ray2.depth3.pass17.ground.sample1.floor.x), so most entries
// name the key's last levels only.
struct SourceEntry {
    const char* pattern;
    const char* function;
    const char* file;
};

const SourceEntry kSources[] = {
    {R"(renderer\..*)", "renderRow", "src/render/render_row.cpp"},
    {R"(column|row)", "the pixel asked for", ""},
    {R"(camera\.direction\..*)", "primaryDirection", "src/render/camera.cpp"},
    // Inside the gradient noise of a ground sample or a sky octave.
    {R"(.*\.(sample|octave)\d+\.floor\.[xyz])", "floorD", "src/math/float_ops.h"},
    {R"(.*\.(sample|octave)\d+\.cell\.[xyz])", "cellIndex", "src/reference/gradient_terms.h"},
    {R"(.*\.(sample|octave)\d+\.fade\.[xyz])", "fade", "src/reference/gradient_terms.h"},
    {R"(.*\.(sample|octave)\d+\.corner\d\.[uv])", "gradientTerms",
     "src/reference/gradient_terms.h"},
    {R"(.*\.(sample|octave)\d+\.l[13])", "lerpAlongX", "src/reference/gradient_terms.h"},
    {R"(.*\.ground\.sample\d+\.[xyz])", "groundDistance", "src/reference/fields.h"},
    {R"(.*\.octave\d+\.[xyz])", "octaveNoise", "src/reference/noise.h"},
    {R"(.*\.(sample|octave)\d+\..*)", "noise", "src/reference/noise.h"},
    {R"(.*\.ground\..*)", "groundDistance", "src/reference/fields.h"},
    // The march.
    {R"(.*\.pass\d+\.sculpture)", "sculptureDistance", "src/reference/fields.cpp"},
    {R"(.*\.pass\d+\.ground)", "groundDistance", "src/reference/fields.h"},
    {R"(.*\.pass\d+\.choice)", "chooseSurface", "src/reference/march.h"},
    {R"(.*\.pass\d+\.(point\.[xyz]|t))", "marchPasses", "src/reference/march.h"},
    {R"(.*\.hit\..*)", "march", "src/reference/march.h"},
    // Normals and reflections.
    {R"(.*\.normal\.sample\d)", "normalSample", "src/reference/normal.h"},
    {R"(.*\.normal\..*)", "estimateNormal", "src/reference/normal.h"},
    {R"(primary\.point\.[xyz])", "primaryHitPoint", "src/render/pixel_shading.cpp"},
    {R"(primary\.k)", "primaryReflectionsAt", "src/render/pixel_shading.cpp"},
    {R"(ray\d+\.depth1\.(origin|direction)\.[xyz])", "primaryReflectionsAt",
     "src/render/pixel_shading.cpp"},
    {R"(.*\.depth\d+\.(origin|direction)\.[xyz])", "reflectAt", "src/render/reflection.cpp"},
    {R"(.*\.depth\d+\.point\.[xyz])", "pointAlong", "src/render/shading_constants.h"},
    {R"(.*\.tint\.[kb])", "reflectAt", "src/render/reflection.cpp"},
    {R"(.*\.depth\d+\.colour\.[xyz])", "applyTint", "src/render/reflection.cpp"},
    // The sky.
    {R"(.*\.sky\.octave\d+)", "noise", "src/reference/noise.h"},
    {R"(.*\.sky\.clouds)", "octaveNoise", "src/reference/noise.h"},
    {R"(.*\.sky\.sun\.angle)", "arcCosine", "src/math/arc_cosine.cpp"},
    {R"(.*\.sky\..*)", "skyColor", "src/reference/sky.h"},
    // The bytes.
    {R"(pixel\.scaled\.[xyz])", "skyChannels or surfaceChannels", "src/render/pixel_shading.cpp"},
    {R"(pixel\.(blue|green|red))", "channelBytes", "src/render/pixel_shading.cpp"},
};

std::string buildValue(const ParsedTrace& trace, const std::string& name) {
    for (const auto& [n, v] : trace.build)
        if (n == name) return v;
    return "";
}

std::string valueText(const TraceValue& v) {
    return v.bits.empty() ? v.decimal : v.bits + " " + v.decimal;
}

const char* typeName(const std::string& bits) {
    return bits.size() == 8 ? "float" : bits.size() == 16 ? "double" : "integer";
}

// What a build line says of one width ("float" or "double"): whether its value holds "<width> no".
bool says(const std::string& value, const char* width, const char* answer) {
    return value.find(std::string(width) + " " + answer) != std::string::npos;
}

bool isNoiseFloor(const std::string& key) {
    static const std::regex floorKey(R"(.*\.(sample|octave)\d+\.(floor|fraction|cell)\.[xyz])");
    return std::regex_match(key, floorKey);
}

// The likely cause, from the build lines of both sides and the first value that parts; empty
// where they support none.
std::string likelyCause(const ParsedTrace& here, const ParsedTrace& there, const TraceValue& first,
                        long long ulps) {
    const std::string width = first.bits.size() == 16 ? "double" : "float";
    const std::string productHere = buildValue(here, "product rounded before adding");
    const std::string productThere = buildValue(there, "product rounded before adding");
    const std::string roundedHere = buildValue(here, "each operation rounded to its width");
    const std::string roundedThere = buildValue(there, "each operation rounded to its width");
    const std::string evalHere = buildValue(here, "FLT_EVAL_METHOD");
    const std::string evalThere = buildValue(there, "FLT_EVAL_METHOD");
    const std::string floorHere = buildValue(here, "floor");
    const std::string floorThere = buildValue(there, "floor");
    const bool excessThere = says(roundedThere, "float", "no") ||
                             says(roundedThere, "double", "no") ||
                             (!evalThere.empty() && evalThere != "0");
    const bool excessHere = says(roundedHere, "float", "no") || says(roundedHere, "double", "no") ||
                            (!evalHere.empty() && evalHere != "0");
    const bool unroundedThere =
        says(productThere, "float", "no") || says(productThere, "double", "no");
    const bool unroundedHere =
        says(productHere, "float", "no") || says(productHere, "double", "no");

    if (excessHere || unroundedHere) {
        return "none that these lines can tell: this build is not exact itself (its own build "
               "lines show " +
               std::string(excessHere ? "excess precision" : "products not rounded before adding") +
               "); compare with a trace made by a build that passes the tests";
    }
    if (first.key.rfind("renderer.", 0) == 0) {
        return "not the arithmetic that the trace follows: the plain evaluation agrees at every "
               "value, and only the bytes that the renderer writes differ. The fault lies in the "
               "renderer's own path (" +
               [&] {
                   for (const std::string& note : there.notes)
                       if (note.rfind("# renderer path: ", 0) == 0) return note.substr(17);
                   return std::string("named in its trace");
               }() +
               "), which this trace does not follow";
    }
    if (excessThere) {
        std::string cause =
            "excess precision: the other build keeps intermediate results wider than their type "
            "(its probe of (a + b) - a: " +
            (roundedThere.empty() ? std::string("not given") : roundedThere) +
            "; its FLT_EVAL_METHOD: " + (evalThere.empty() ? std::string("not given") : evalThere) +
            "), as the x87 unit of 32-bit x86 does, so nearly every operation rounds differently. "
            "Every operation must round to its own width: on 32-bit x86 build with -msse2 "
            "-mfpmath=sse";
        if (isNoiseFloor(first.key) && floorThere == "rounding") {
            cause +=
                ". Its floor is formed by the rounding of |v| + 2^52, which relies on that "
                "addition being rounded to a double: with excess precision it gives back v "
                "itself";
        }
        if (unroundedThere) {
            cause +=
                ". (Its probe of a * b + c shows unrounded products too, which excess "
                "precision gives by itself: whether it also contracts cannot be told until "
                "this is fixed.)";
        }
        return cause;
    }
    if (unroundedThere) {
        std::string cause =
            "contraction: the other build fuses a product and an add into one operation that "
            "rounds once (its probe of a * b + c: " +
            productThere + "; __FP_FAST_FMA " + buildValue(there, "__FP_FAST_FMA") +
            ", __FP_FAST_FMAF " + buildValue(there, "__FP_FAST_FMAF") + ")";
        if (ulps >= 1 && ulps <= 4) {
            cause += ", and the value parts by " + std::to_string(ulps) + " unit" +
                     (ulps == 1 ? "" : "s") + " in the last place, as one rounding fewer does";
        }
        cause += ". Build with -ffp-contract=off, and nothing of fast-math";
        return cause;
    }
    if (isNoiseFloor(first.key) && !floorHere.empty() && !floorThere.empty() &&
        floorHere != floorThere) {
        return "the floor: this build forms it by " + floorHere + ", the other by " + floorThere +
               " (floorD in src/math/float_ops.h), and a floor, or what follows from it, is the "
               "first value that parts";
    }
    (void)width;
    return "";
}

}  // namespace

bool parseTrace(const std::string& text, ParsedTrace& trace, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line[0] == '#') {
            const std::size_t colon = line.find(": ");
            if (trace.values.empty() && colon != std::string::npos && line.rfind("# ", 0) == 0 &&
                line.rfind("# renderer path: ", 0) != 0) {
                trace.build.emplace_back(line.substr(2, colon - 2), line.substr(colon + 2));
            } else {
                trace.notes.push_back(line);
            }
            continue;
        }
        std::istringstream fields(line);
        std::string a, b, c, extra;
        fields >> a >> b >> c >> extra;
        TraceValue v;
        v.key = a;
        v.line = number;
        bool good = !a.empty() && !b.empty() && extra.empty();
        if (good && c.empty()) {
            v.decimal = b;
        } else if (good) {
            good = (b.size() == 8 || b.size() == 16) && isHex(b);
            v.bits = b;
            v.decimal = c;
        }
        if (!good) {
            error = "line " + std::to_string(number) + " is not a line of a trace";
            return false;
        }
        trace.values.push_back(v);
    }
    if (trace.values.size() < 2 || trace.values[0].key != "column" ||
        trace.values[1].key != "row") {
        error = "it does not start with the column and row of a pixel";
        return false;
    }
    return true;
}

ValueSource sourceOf(const std::string& key) {
    static const std::vector<std::regex> patterns = [] {
        std::vector<std::regex> compiled;
        for (const SourceEntry& entry : kSources)
            compiled.emplace_back(entry.pattern, std::regex::optimize);
        return compiled;
    }();
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (std::regex_match(key, patterns[i])) return {kSources[i].function, kSources[i].file};
    }
    return {};
}

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

Comparison compareTraces(const ParsedTrace& here, const ParsedTrace& there,
                         const std::string& thereName) {
    Comparison result;
    std::string& r = result.report;
    if (here.values[0].decimal != there.values[0].decimal ||
        here.values[1].decimal != there.values[1].decimal) {
        r = thereName + " traces column " + there.values[0].decimal + ", row " +
            there.values[1].decimal + ", not column " + here.values[0].decimal + ", row " +
            here.values[1].decimal + "\n";
        result.status = 2;
        return result;
    }
    r += "comparing the trace of column " + here.values[0].decimal + ", row " +
         here.values[1].decimal + " made here with " + thereName + "\n";

    std::size_t i = 0;
    while (i < here.values.size() && i < there.values.size() &&
           here.values[i].key == there.values[i].key &&
           here.values[i].bits == there.values[i].bits &&
           here.values[i].decimal == there.values[i].decimal) {
        ++i;
    }
    long long ulps = -1;
    const bool same = i == here.values.size() && i == there.values.size();
    if (same) {
        r += "the traces agree at every value (" + std::to_string(i) + " values)\n";
    } else if (i == here.values.size() || i == there.values.size()) {
        const bool hereEnds = i == here.values.size();
        r += std::string("the traces agree at all ") + std::to_string(i) + " values of the " +
             (hereEnds ? "trace made here" : "trace in " + thereName) +
             ", and the other goes on: " + (hereEnds ? there.values[i].key : here.values[i].key) +
             "\n";
    } else if (here.values[i].key != there.values[i].key) {
        r += "the traces part at value " + std::to_string(i + 1) + ", where their keys differ:\n";
        r += "  here:  " + here.values[i].key + " " + valueText(here.values[i]) + "\n";
        r += "  there: " + there.values[i].key + " " + valueText(there.values[i]) + " (line " +
             std::to_string(there.values[i].line) + ")\n";
        r += "  (the same evaluation forms the same keys: one of them was made by another "
             "version of raymarch_trace, or with other options)\n";
    } else {
        const TraceValue& a = here.values[i];
        const TraceValue& b = there.values[i];
        r += "first difference: " + a.key + " (value " + std::to_string(i + 1) + ", line " +
             std::to_string(b.line) + " of " + thereName + ")\n";
        r += "  here:  " + valueText(a) + "\n";
        r += "  there: " + valueText(b) + "\n";
        if (!a.bits.empty() && a.bits.size() == b.bits.size()) {
            ulps = unitsInTheLastPlace(a.bits, b.bits);
            r += "  distance: " + std::to_string(ulps) + " unit" + (ulps == 1 ? "" : "s") +
                 " in the last place of a " + typeName(a.bits) + "\n";
        } else if (a.bits.empty() && b.bits.empty()) {
            r += "  distance: " + [&] {
                try {
                    return std::to_string(std::stoll(b.decimal) - std::stoll(a.decimal));
                } catch (...) {
                    return std::string("not a number");
                }
            }() + " (integers)\n";
        } else {
            r += std::string("  distance: none, a ") + typeName(a.bits) + " here and a " +
                 typeName(b.bits) + " there\n";
        }
        const ValueSource source = sourceOf(a.key);
        if (!source.function.empty()) {
            r += "  formed by: " + source.function +
                 (source.file.empty() ? "" : " in " + source.file) + "\n";
        }
    }

    // The build lines, where they differ.
    std::string buildDiffers;
    if (there.build.empty()) {
        buildDiffers = "  " + thereName + " has no build lines (made before traces had them)\n";
    } else {
        for (const auto& [name, value] : here.build) {
            const std::string other = buildValue(there, name);
            if (other == value) continue;
            buildDiffers += "  here:  # " + name + ": " + value + "\n";
            buildDiffers +=
                "  there: # " + name + ": " + (other.empty() ? "(no such line)" : other) + "\n";
        }
    }
    r += buildDiffers.empty() ? "build lines: the same\n"
                              : "build lines that differ:\n" + buildDiffers;

    if (!same && i < here.values.size() && i < there.values.size() &&
        here.values[i].key == there.values[i].key) {
        const std::string cause = likelyCause(here, there, here.values[i], ulps);
        r += "likely cause: " +
             (cause.empty() ? std::string("none that the build lines show") : cause) + "\n";
    }
    for (const auto& [trace, name] :
         {std::pair{&here, std::string("the trace made here")}, std::pair{&there, thereName}}) {
        for (const std::string& note : trace->notes) {
            if (note.rfind(kNotExplained, 0) != 0) continue;
            // The line goes on with what each side gives, after "at this pixel:".
            const std::string marker = "at this pixel:";
            const std::size_t at = note.find(marker);
            r += "warning: " + name + " does not explain its build's image at this pixel" +
                 (at == std::string::npos ? std::string() : ":" + note.substr(at + marker.size())) +
                 "\n";
        }
    }
    result.status = same ? 0 : 1;
    return result;
}

}  // namespace rm::tools
