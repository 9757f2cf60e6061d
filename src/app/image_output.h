#pragma once

#include <stdint.h>

namespace rm {

// What the output written so far leaves for the next message: whether the progress ends inside a
// line (after the dots), where an error line must start with a newline of its own.
struct ImageOutput {
    bool progressLineOpen = false;
};

// Writes image bytes to descriptor 1. A failed write ends the process at once with status 1,
// after one line on descriptor 2: "raymarch: write error: " and the system's message, on a line
// of its own (after a newline when the progress written last did not end its line).
void writeImageBytes(const ImageOutput& output, const void* bytes, int32_t length);

// Writes progress text to descriptor 2; a failure there does not stop the render.
void writeProgress(ImageOutput& output, const char* text, int32_t length);

}  // namespace rm
