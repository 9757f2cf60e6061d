#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rm::tools {

// SHA-256 of a byte range, as 64 lowercase hex digits.
std::string sha256Hex(const void* data, std::size_t size);

}  // namespace rm::tools
