#include "app/image_output.h"

#include <string.h>

#include "app/host.h"

namespace rm {

void writeImageBytes(const void* bytes, int32_t length) {
    const int error = hostWrite(1, bytes, length);
    if (error == 0) return;
    char message[256] = "raymarch: write error: ";
    strncat(message, strerror(error), sizeof message - strlen(message) - 2);
    strcat(message, "\n");
    hostWrite(2, message, static_cast<int32_t>(strlen(message)));
    hostExit(1);
}

void writeProgress(const char* text, int32_t length) { hostWrite(2, text, length); }

}  // namespace rm
