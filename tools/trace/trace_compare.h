#pragma once

#include <string>

#include "trace/trace_log.h"
#include "trace/trace_reader.h"

namespace rm::tools {

// The distance of two values of one type (their bits), in units in the last place: the number
// of representable values from one to the other. -1 when they are not of one type.
long long unitsInTheLastPlace(const std::string& bitsA, const std::string& bitsB);

// The comparison of a trace made here with one read from elsewhere: the report, and the status
// (0 they agree at every value, 1 they differ, 2 the other is not a trace of the same pixel or
// cannot be read).
struct Comparison {
    std::string report;
    int status = 2;
};

// Compares `here` with the trace that `there` goes on reading after its header (which
// readTraceHeader has read), value by value, and reads it to its end in bounded memory. At the
// first value that differs the report names the operation that formed it, where it stands in the
// evaluation, its operands (which agree, as every earlier value does) and both results, and what
// the correctly rounded result is; then the build lines that differ and the likely cause, given
// only where the probes of the other build single out one fault and that fault gives the other
// build's result. `thereName` is printed as it is: escape it first.
Comparison compareTraces(const TraceLog& here, const TraceHeader& thereHeader, TraceReader& there,
                         const std::string& thereName);

}  // namespace rm::tools
