#include "trace/trace_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace rm::tools {
namespace {

bool isHex(const std::string& s) {
    for (const char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

bool TraceReader::next(std::string& line) {
    if (!error_.empty()) return false;
    for (;;) {
        const char* begin = buffer_.data() + start_;
        const char* newline = static_cast<const char*>(std::memchr(begin, '\n', end_ - start_));
        if (newline != nullptr || (ended_ && end_ > start_)) {
            const std::size_t length =
                newline != nullptr ? static_cast<std::size_t>(newline - begin) : end_ - start_;
            std::size_t kept = length;
            while (kept > 0 &&
                   (begin[kept - 1] == '\r' || begin[kept - 1] == ' ' || begin[kept - 1] == '\t'))
                --kept;
            line.assign(begin, kept);
            start_ += newline != nullptr ? length + 1 : length;
            ++lineNumber_;
            return true;
        }
        if (ended_) return false;
        if (end_ - start_ > kLongestLine) {
            error_ = "line " + std::to_string(lineNumber_ + 1) + " is longer than " +
                     std::to_string(kLongestLine) + " bytes";
            return false;
        }
        std::memmove(buffer_.data(), begin, end_ - start_);
        end_ -= start_;
        start_ = 0;
        const long long got = source_(buffer_.data() + end_, buffer_.size() - end_, error_);
        if (got < 0) {
            if (error_.empty()) error_ = "cannot read it";
            return false;
        }
        if (got == 0) ended_ = true;
        end_ += static_cast<std::size_t>(got);
    }
}

TraceReader::Source textSource(std::string text) {
    auto offset = std::make_shared<std::size_t>(0);
    auto held = std::make_shared<std::string>(std::move(text));
    return [offset, held](char* into, std::size_t size, std::string&) -> long long {
        const std::size_t n = std::min(size, held->size() - *offset);
        std::memcpy(into, held->data() + *offset, n);
        *offset += n;
        return static_cast<long long>(n);
    };
}

bool parseValueLine(const std::string& line, TraceValue& value) {
    std::string fields[4];
    int count = 0;
    std::size_t i = 0;
    while (i < line.size() && count < 4) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i == line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        fields[count++] = line.substr(start, i - start);
    }
    if (count == 2) {
        value = {fields[0], "", fields[1], 0};
        return true;
    }
    if (count == 3 && (fields[1].size() == 8 || fields[1].size() == 16) && isHex(fields[1])) {
        value = {fields[0], fields[1], fields[2], 0};
        return true;
    }
    return false;
}

bool readTraceHeader(TraceReader& reader, TraceHeader& header, std::string& error) {
    std::string line;
    while (reader.next(line)) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            const std::size_t colon = line.find(": ");
            if (line.rfind("# ", 0) == 0 && colon != std::string::npos) {
                const std::string name = line.substr(2, colon - 2);
                const std::string value = line.substr(colon + 2);
                if (name == "noise terms") {
                    header.options.noiseTerms = value != "left out";
                } else if (name == "capsules") {
                    header.options.everyCapsule = value == "every";
                }
                // A trace that runs to millions of lines has a few dozen build lines.
                if (header.build.size() < 256) header.build.emplace_back(name, value);
            }
            continue;
        }
        if (!parseValueLine(line, header.firstValue)) {
            error = "line " + std::to_string(reader.lineNumber()) + " is not a line of a trace";
            return false;
        }
        header.firstValue.line = reader.lineNumber();
        header.hasFirstValue = true;
        return true;
    }
    if (!reader.error().empty()) {
        error = reader.error();
        return false;
    }
    error = "it has no values";
    return false;
}

std::string buildValue(const TraceHeader& header, const std::string& name) {
    for (const auto& [n, v] : header.build)
        if (n == name) return v;
    return "";
}

}  // namespace rm::tools
