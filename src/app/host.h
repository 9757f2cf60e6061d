#pragma once

#include <stdint.h>

namespace rm {

// Writes all `length` bytes to the descriptor, continuing after short writes and interruptions.
// Returns 0, or the error number of the write that failed.
int hostWrite(int32_t descriptor, const void* bytes, int32_t length);

// Ends the process with the status.
[[noreturn]] void hostExit(int32_t status);

}  // namespace rm
