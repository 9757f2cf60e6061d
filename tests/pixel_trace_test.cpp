// The pixel trace: the committed traces of a few pixels, its build lines, its last lines against
// the renderer's bytes, the comparison with another build's trace (--against), its output through
// the renderer's write loop, and its arguments.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/render_row.h"
#include "simd/simd_level.h"
#include "support/child_process.h"
#include "support/row_workspace.h"
#include "support/text_files.h"
#include "trace/trace_compare.h"
#include "trace/trace_log.h"

namespace {

using rmtest::readFile;
using rmtest::valueLines;
using rmtest::writeFile;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string testPath(const std::string& name) { return RAYMARCH_TEST_DIR "/trace-" + name; }

// The first line where two texts part, for the failure message.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected);
    std::istringstream a(actual);
    std::string le;
    std::string la;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, le));
        const bool moreA = static_cast<bool>(std::getline(a, la));
        if (!moreE && !moreA) return "no differing line";
        if (!moreE || !moreA || le != la) {
            return "line " + std::to_string(line) + ": expected \"" + (moreE ? le : "(end)") +
                   "\", got \"" + (moreA ? la : "(end)") + "\"";
        }
    }
}

rmtest::ChildResult trace(const std::vector<std::string>& arguments,
                          const rmtest::RunOptions& options = {}) {
    return rmtest::runCaptured(RAYMARCH_TRACE_EXECUTABLE, arguments, options);
}

// Sky far from the sun, the middle of the sun's soft disc, ground reflecting sky, sculpture with
// a chain down to depth 5, and sky just above the ground at the horizon, where the march skims
// the terrain for a long way. The sky far from the sun is kept with the operations inside the
// noise; the others without (--no-noise-terms).
TEST(PixelTraceTest, MatchesTheCommittedTraces) {
    const struct {
        const char* file;
        int x;
        int y;
        bool noiseTerms;
    } pixels[] = {{"sky-1279-1023", 1279, 1023, true},
                  {"sun-401-862", 401, 862, false},
                  {"ground-300-300", 300, 300, false},
                  {"sculpture-608-614", 608, 614, false},
                  {"horizon-100-649", 100, 649, false}};
    for (const auto& pixel : pixels) {
        SCOPED_TRACE(pixel.file);
        const std::string expected =
            valueLines(readFile(RAYMARCH_TRACES "/" + std::string(pixel.file) + ".trace"));
        ASSERT_FALSE(expected.empty());
        std::vector<std::string> arguments = {std::to_string(pixel.x), std::to_string(pixel.y)};
        if (!pixel.noiseTerms) arguments.insert(arguments.begin(), "--no-noise-terms");
        const rmtest::ChildResult run = trace(arguments);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        const std::string actual = valueLines(run.out);
        EXPECT_TRUE(actual == expected) << firstDifference(expected, actual);
        EXPECT_EQ(run.out.find(".sample0.floor.x ") != std::string::npos, pixel.noiseTerms);
    }
}

// Every trace opens with the build lines, and on this exact build its probes find every product
// rounded, no excess precision, and round to nearest with nothing flushed, as the child started.
TEST(PixelTraceTest, OpensWithTheBuildLines) {
    const rmtest::ChildResult run = trace({"300", "300"});
    ASSERT_EQ(run.status, 0);
    std::istringstream in(run.out);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(in, line) && line.rfind("# ", 0) == 0)
        names.push_back(line.substr(2, line.find(": ") - 2));
    EXPECT_EQ(names, (std::vector<std::string>{"compiler",
                                               "target",
                                               "compiled for",
                                               "FLT_EVAL_METHOD",
                                               "__FP_FAST_FMA",
                                               "__FP_FAST_FMAF",
                                               "__FAST_MATH__",
                                               "product rounded before adding",
                                               "each operation rounded to its width",
                                               "rounding at start",
                                               "subnormal results at start",
                                               "subnormal operands at start",
                                               "floating-point control",
                                               "rounding",
                                               "subnormal results",
                                               "subnormal operands",
                                               "floor",
                                               "instruction-set path",
                                               "noise terms",
                                               "capsules"}));
    EXPECT_EQ(line, "column 300");
    EXPECT_NE(run.out.find("\n# FLT_EVAL_METHOD: 0\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n# product rounded before adding: float yes, double yes\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\n# each operation rounded to its width: float yes, double yes\n"),
              std::string::npos);
    for (const char* when : {"", " at start"}) {
        SCOPED_TRACE(when);
        EXPECT_NE(
            run.out.find(std::string("\n# rounding") + when + ": float nearest, double nearest\n"),
            std::string::npos);
        EXPECT_NE(run.out.find(std::string("\n# subnormal results") + when +
                               ": float kept, double kept\n"),
                  std::string::npos);
        EXPECT_NE(run.out.find(std::string("\n# subnormal operands") + when +
                               ": float read, double read\n"),
                  std::string::npos);
    }
    EXPECT_NE(run.out.find(std::string("\n# instruction-set path: ") +
                           rm::simdLevelName(rm::bestSimdLevel()) + "\n"),
              std::string::npos);
}

int lastValue(const std::string& trace, const std::string& key) {
    const std::size_t at = trace.rfind("\n" + key + " ");
    return at == std::string::npos ? -1 : std::stoi(trace.substr(at + key.size() + 2));
}

// The plain evaluation's bytes and the renderer's own, which the trace adds at its end, are the
// bytes of the rendered row, on every path this processor has.
TEST(PixelTraceTest, EndsInTheRenderersBytes) {
    for (const rm::SimdLevel level : rm::kBuiltSimdLevels) {
        const rm::KernelTable& kernels = rm::chooseKernels(level);
        if (kernels.level != level) continue;
        // Ground (0, 150), ground and sculpture (300, 512), the horizon (649), sculpture against
        // the sky (700) and sky (1023), at the edges and inside.
        for (const int y : {0, 150, 300, 512, 649, 700, 1023}) {
            std::uint8_t row[rm::kRowBytes];
            rm::renderRow(kernels, y, row, rmtest::rowWorkspace());
            for (const int x : {0, 511, 640, 777, 1279}) {
                SCOPED_TRACE(testing::Message() << "column " << x << ", row " << y << ", path "
                                                << rm::simdLevelName(level));
                const std::string text =
                    rm::tools::tracePixel(kernels, x, y, {.noiseTerms = false});
                for (const char* prefix : {"pixel.", "renderer.pixel."}) {
                    const std::string p = prefix;
                    EXPECT_EQ(lastValue(text, p + "blue"), row[3 * x]);
                    EXPECT_EQ(lastValue(text, p + "green"), row[3 * x + 1]);
                    EXPECT_EQ(lastValue(text, p + "red"), row[3 * x + 2]);
                }
                EXPECT_NE(text.find(std::string("\n# renderer path: ") + rm::simdLevelName(level) +
                                    "\nrenderer.pixel.blue"),
                          std::string::npos);
                EXPECT_EQ(text.find(rm::tools::kNotExplained), std::string::npos);
            }
        }
    }
}

// Every value is the result of one operation whose operands are earlier values or constants, so
// that the first value where two traces part is formed from values that agree; every operation
// names the function that does it, and that function is in the file named. Keys are unique.
TEST(PixelTraceTest, EveryValueIsOneOperationOnEarlierValues) {
    std::set<std::pair<std::string, std::string>> checked;
    for (const auto& [x, y, every] :
         {std::tuple{300, 300, false}, {608, 614, true}, {1279, 1023, false}, {401, 862, false}}) {
        SCOPED_TRACE(testing::Message() << x << " " << y);
        rm::tools::TraceOptions options;
        options.everyCapsule = every;
        const rm::tools::TraceLog log = rm::tools::tracePixelLog(rm::kPlainKernels, x, y, options);
        std::vector<int> lineOf(log.records.size(), -1);
        for (std::size_t i = 0; i < log.lines.size(); ++i)
            lineOf[log.lines[i]] = static_cast<int>(i);
        std::set<std::string> keys;
        int arithmetic = 0;
        for (std::size_t i = 0; i < log.lines.size(); ++i) {
            const rm::tools::TraceRecord& r = log.records[log.lines[i]];
            EXPECT_TRUE(keys.insert(r.key).second) << "twice: " << r.key;
            for (int k = 0; k < r.operandCount; ++k) {
                const int id = r.operand[k];
                if (id < 0) continue;
                ASSERT_GE(lineOf[id], 0) << r.key << ": an operand without a line";
                EXPECT_LT(lineOf[id], static_cast<int>(i)) << r.key << ": a later operand";
                EXPECT_EQ(r.operandBits[k], log.records[id].bits) << r.key;
            }
            if (r.operation == rm::tools::Operation::Given ||
                r.operation == rm::tools::Operation::Copy) {
                continue;
            }
            ++arithmetic;
            ASSERT_NE(r.site.function, nullptr) << r.key << ": no function";
            std::string file = r.site.file;
            file = file.substr(file.rfind("/src/") + 1);
            std::string function = r.site.function;
            function = function.substr(0, function.find('<'));
            if (!checked.insert({function, file}).second) continue;
            const std::string text = readFile(RAYMARCH_SOURCE_DIR "/" + file);
            EXPECT_NE(text.find(" " + function + "("), std::string::npos)
                << r.key << ": " << function << " in " << file;
        }
        EXPECT_GT(arithmetic, 1000);
    }
}

// The operations before a named value are written in the shape of its expression, the left
// operand first, whichever order the compiler does them in: traces of two compilers line up.
TEST(PixelTraceTest, WritesAnExpressionInItsOwnShapeWhateverOrderItsOperandsAreDoneIn) {
    const auto trace = [](bool leftFirst) {
        rm::tools::TraceLog log;
        const rm::tools::TraceLog::Float u = log.value("u", 3.0f);
        const rm::tools::TraceLog::Float v = log.value("v", 5.0f);
        rm::tools::TraceLog::Float left;
        rm::tools::TraceLog::Float right;
        if (leftFirst) {
            left = u * v;
            right = v - u;
        } else {
            right = v - u;
            left = u * v;
        }
        log.value("w", (left + right) * -left);
        return log.text;
    };
    EXPECT_EQ(trace(true),
              "u 40400000 3\nv 40a00000 5\nw.product1 41700000 15\n"
              "w.difference1 40000000 2\nw.sum1 41880000 17\n"
              "w.negation1 c1700000 -15\nw c37f0000 -255\n");
    EXPECT_EQ(trace(false), trace(true));
}

TEST(PixelTraceTest, CountsUnitsInTheLastPlace) {
    using rm::tools::unitsInTheLastPlace;
    EXPECT_EQ(unitsInTheLastPlace("be2799a5", "be2799a6"), 1);
    EXPECT_EQ(unitsInTheLastPlace("3f800000", "3f7fffff"), 1);
    EXPECT_EQ(unitsInTheLastPlace("00000000", "80000000"), 1);  // +0 and -0
    EXPECT_EQ(unitsInTheLastPlace("00000001", "80000001"), 3);
    EXPECT_EQ(unitsInTheLastPlace("4006000000000000", "4006000000000010"), 16);
    EXPECT_EQ(unitsInTheLastPlace("3f800000", "3ff0000000000000"), -1);
}

// A change to a trace made here: the line of `key` with other bits and decimal, and build lines
// replaced.
std::string planted(std::string text, const std::string& key, const std::string& value,
                    const std::vector<std::pair<std::string, std::string>>& build) {
    const std::size_t at = text.find("\n" + key + " ") + 1;
    const std::size_t end = text.find('\n', at);
    text.replace(at, end - at, key + " " + value);
    for (const auto& [from, to] : build) {
        const std::size_t b = text.find(from);
        if (b != std::string::npos) text.replace(b, from.size(), to);
    }
    return text;
}

// A port's trace with one value planted in it against the trace made here: the operation is
// named with its operands and the correctly rounded result, and without the other build's probes
// of its environment no cause is given; a renderer-only fault and agreeing traces.
TEST(PixelTraceTest, ComparesWithAPlantedFaultyTrace) {
    const rmtest::ChildResult here = trace({"26", "0"});
    ASSERT_EQ(here.status, 0);
    const std::string file = testPath("port.trace");

    // A square root one unit in the last place high, in a trace whose build lines say nothing
    // of its environment.
    std::smatch found;
    ASSERT_TRUE(std::regex_search(
        here.out, found, std::regex(R"(\n(primary\.pass1\.sculpture\.capsule\d+)\.root )")));
    const std::string capsule = found[1];
    const std::string key = capsule + ".root";
    const std::size_t at = here.out.find("\n" + key + " ");
    const auto root = static_cast<std::uint32_t>(
        std::stoul(here.out.substr(at + key.size() + 2, 8), nullptr, 16));
    char bits[16];
    std::snprintf(bits, sizeof bits, "%08x", root + 1);
    std::string port = planted(here.out, key, std::string(bits) + " 1", {});
    for (const char* line : {"# rounding: ", "# subnormal results: ", "# subnormal operands: "}) {
        const std::size_t b = port.find(line);
        ASSERT_NE(b, std::string::npos) << line;
        port.erase(b, port.find('\n', b) + 1 - b);
    }
    writeFile(file, port);
    rmtest::ChildResult run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "");
    std::snprintf(bits, sizeof bits, "0x%08x", root + 1);
    const std::string given = bits;
    std::snprintf(bits, sizeof bits, "0x%08x", root);
    for (const std::string& expected :
         {"first difference: " + key,
          std::string("  distance: 1 unit in the last place of a float\n"),
          std::string("  formed by: square root in capsuleDistance (src/reference/fields.h:"),
          "  its operand, the same in both traces:\n    " + capsule + ".squared ",
          std::string("single-precision square root of 0x"),
          " gives " + given + "; the correctly rounded result is " + std::string(bits) + "\n",
          std::string("likely cause: unknown: the other trace has no probes")}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }

    // Only the renderer's bytes differ: the trace does not follow the fault.
    const int green = lastValue(here.out, "renderer.pixel.green");
    std::string rendererOnly =
        planted(here.out, "renderer.pixel.green", std::to_string(green + 1), {});
    rendererOnly += std::string(rm::tools::kNotExplained) +
                    " this trace does not explain this build's image at this pixel: its renderer "
                    "(scalar path) writes blue 1, green 2, red 3, the plain evaluation ...\n";
    writeFile(file, rendererOnly);
    run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 1);
    for (const std::string& expected :
         {std::string("first difference: renderer.pixel.green"),
          std::string("distance: 1 (integers)"),
          std::string("only the bytes that the renderer writes differ"),
          "warning: " + file +
              " does not explain its build's image at this pixel: its renderer (scalar path) "
              "writes blue 1, green 2, red 3, the plain evaluation ...\n"}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }

    // The same trace, as written, with CRLF line ends, with blanks at the ends of its lines and a
    // blank line at its end, and one with other build lines only: no difference, and no cause.
    std::string crlf;
    std::string blanks;
    for (std::size_t b = 0, e; b < here.out.size(); b = e + 1) {
        e = here.out.find('\n', b);
        crlf += here.out.substr(b, e - b) + "\r\n";
        blanks += here.out.substr(b, e - b) + " \t \n";
    }
    for (const std::string& same : {here.out, crlf, blanks + "\n"}) {
        writeFile(file, same);
        run = trace({"26", "0", "--against", file});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("the traces agree at every value"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("build lines: the same"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("likely cause"), std::string::npos) << run.out;
    }
    writeFile(file, planted(here.out, "column", "26", {{"# compiler: ", "# compiler: other "}}));
    run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("build lines that differ:\n  here:  # compiler: "), std::string::npos);

    // What the other file says is printed with its control characters escaped.
    writeFile(file, planted(here.out, "renderer.pixel.green", std::to_string(green + 1), {}) +
                        "# NOT EXPLAINED: at this pixel: \x1b[2J\n");
    run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\\x1b[2J"), std::string::npos) << run.out;
}

// The other trace is read line by line: an endless source of bytes without a line end, and a
// large trace of short lines, take little memory, and a file of lines longer than a trace has is
// refused.
TEST(PixelTraceTest, ReadsTheOtherTraceInBoundedMemory) {
    const rmtest::RunOptions limited = {.addressSpace = 512ull << 20};
    rmtest::ChildResult run = trace({"26", "0", "--against", "/dev/zero"}, limited);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "raymarch_trace: /dev/zero is not a trace: line 1 is longer than 65536 "
              "bytes\n");
    const std::string file = testPath("long.trace");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "column 26\nrow 0\n";
        const std::string line = "primary.pass0.point.x 3f800000 1\n";
        for (int i = 0; i < 1500000; ++i)
            out << line;
    }
    run = trace({"26", "0", "--against", file}, limited);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("where their keys differ"), std::string::npos) << run.out;
}

TEST(PixelTraceTest, RefusesAFileThatIsNotATraceOfThePixel) {
    const std::string file = testPath("other.trace");
    writeFile(file, trace({"--no-noise-terms", "27", "0"}).out);
    rmtest::ChildResult run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "raymarch_trace: " + file + " traces column 27, row 0, not column 26, row 0\n");
    writeFile(file, "column 26\nrow 0\nnot a line of a trace at all\n");
    run = trace({"26", "0", "--against", file});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "raymarch_trace: " + file + " is not a trace: line 3 is not a line of a trace\n");
    run = trace({"26", "0", "--against", RAYMARCH_TEST_DIR});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "raymarch_trace: cannot read " RAYMARCH_TEST_DIR ": Is a directory\n");
    run = trace({"26", "0", "--against", testPath("no-such.trace")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos);
}

TEST(PixelTraceTest, RejectsBadArgumentsWithUsageAndStatus2) {
    const std::vector<std::string> cases[] = {{},
                                              {"5"},
                                              {"5", "6", "7"},
                                              {"x", "6"},
                                              {"5", "6.0"},
                                              {"-1", "6"},
                                              {"1280", "0"},
                                              {"0", "1024"},
                                              {"99999", "0"},
                                              {"", "0"},
                                              {"5", "6", "--against"},
                                              {"--verbose", "5", "6"}};
    for (const auto& arguments : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const rmtest::ChildResult run = trace(arguments);
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("usage: raymarch_trace X Y", 0), 0u) << run.err;
    }
    EXPECT_EQ(trace({"0", "0"}).status, 0);
    EXPECT_EQ(trace({"--", "0", "0"}).status, 0);
    const rmtest::ChildResult help = trace({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: raymarch_trace X Y", 0), 0u) << help.out;
}

// Its output goes through the renderer's write loop: a full device is an error with status 5,
// and a descriptor 1 left in non-blocking mode, with a reader that starts only once the pipe is
// full, loses nothing.
TEST(PixelTraceTest, WritesThroughTheRenderersLoop) {
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const rmtest::ChildResult failed = trace({"26", "0"}, {.out = full});
    close(full);
    EXPECT_EQ(failed.status, 5);
    EXPECT_EQ(failed.err,
              "raymarch_trace: cannot write to standard output: No space left on device\n");

    const std::string expected = trace({"608", "614"}).out;
    ASSERT_GT(expected.size(), 1000000u);
    int out[2];
    int err[2];
    ASSERT_TRUE(rmtest::makePipe(out, 4096));
    ASSERT_TRUE(rmtest::makePipe(err));
    ASSERT_EQ(fcntl(out[1], F_SETFL, fcntl(out[1], F_GETFL) | O_NONBLOCK), 0);
    const auto deadline = Clock::now() + 60s;
    const pid_t pid =
        rmtest::startChild(RAYMARCH_TRACE_EXECUTABLE, {out[1], err[1], false}, {"608", "614"});
    close(out[1]);
    close(err[1]);
    ASSERT_GT(pid, 0);
    // Read nothing until the child sleeps on the full pipe, or has ended, or the time is up.
    bool waited = false;
    const auto waitDeadline = Clock::now() + 10s;
    while (!waited && Clock::now() < waitDeadline) {
        int queued = 0;
        if (ioctl(out[0], FIONREAD, &queued) != 0) break;
        const char state = rmtest::schedulerState(pid);
        if (state == 'Z') break;
        waited = queued > 0 && state == 'S';
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(waited) << "the child never waited on the full pipe";
    // Then read slowly for a while, so that it waits again and again.
    std::string text;
    char buffer[1000];
    for (int i = 0; i < 200 && Clock::now() < deadline; ++i) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        std::this_thread::sleep_for(1ms);
    }
    std::string progress;
    EXPECT_TRUE(rmtest::readToEnd(out[0], text, deadline));
    EXPECT_TRUE(rmtest::readToEnd(err[0], progress, deadline));
    close(out[0]);
    close(err[0]);
    const rmtest::ChildEnd end = rmtest::waitChild(pid, deadline);
    ASSERT_FALSE(end.timedOut);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(progress, "");
    EXPECT_TRUE(text == expected) << firstDifference(expected, text);
}

}  // namespace
