#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rm::tools {

// A SHA-256 as 64 lowercase hex digits and a terminating zero.
struct Sha256Digits {
    char text[65];
};

// SHA-256 of a byte range. It needs no C++ library, so that the page's WebAssembly check, which
// links none, uses this same code.
Sha256Digits sha256Digits(const void* data, std::size_t size);

inline std::string sha256Hex(const void* data, std::size_t size) {
    return sha256Digits(data, size).text;
}

}  // namespace rm::tools
