#include "common/output.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/host.h"

namespace rm::tools {

Output& Output::operator<<(const std::string& text) {
    held_ += text;
    if (held_.size() >= 65536) flush();
    return *this;
}

Output& Output::operator<<(const char* text) { return *this << std::string(text); }

Output& Output::operator<<(long long v) { return *this << std::to_string(v); }

bool Output::flush() {
    // In pieces that fit the write loop's 32-bit length.
    std::size_t done = 0;
    while (error_ == 0 && done < held_.size()) {
        const std::size_t piece = std::min<std::size_t>(held_.size() - done, std::size_t{1} << 24);
        error_ = hostWrite(descriptor_, held_.data() + done, static_cast<std::int32_t>(piece));
        done += piece;
    }
    held_.clear();
    return error_ == 0;
}

int finishOutput(Output& out, const char* tool, int status) {
    if (out.flush()) return status;
    Output err(2);
    err << tool << ": cannot write to standard output: " << std::strerror(out.error()) << "\n";
    err.flush();
    return kStatusOutputFailed;
}

std::string printable(const std::string& name) {
    static const char* kHex = "0123456789abcdef";
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace rm::tools
