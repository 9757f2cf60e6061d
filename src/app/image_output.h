#pragma once

#include <stdint.h>

namespace rm {

// Writes image bytes to descriptor 1. A failed write ends the process at once with status 1,
// after one line on descriptor 2: "raymarch: write error: " and the system's message, on a line
// of its own (after a newline when the progress written last did not end its line).
void writeImageBytes(const void* bytes, int32_t length);

// Writes progress text to descriptor 2; a failure there does not stop the render.
void writeProgress(const char* text, int32_t length);

}  // namespace rm
