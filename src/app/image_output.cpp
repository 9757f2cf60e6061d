#include "app/image_output.h"

#if __STDC_HOSTED__
#include <string.h>
#endif

#include "app/host.h"

namespace rm {

namespace {

#if __STDC_HOSTED__
const char* errorText(int error) { return strerror(error); }
#else
// Without a C library there is no strerror: the freestanding host returns Linux's error numbers,
// and these are the ones a write can meet, with the C library's wording.
struct ErrorName {
    int error;
    const char* text;
};
constexpr ErrorName kErrorNames[] = {
    {1, "Operation not permitted"},
    {5, "Input/output error"},
    {9, "Bad file descriptor"},
    {11, "Resource temporarily unavailable"},
    {14, "Bad address"},
    {22, "Invalid argument"},
    {27, "File too large"},
    {28, "No space left on device"},
    {32, "Broken pipe"},
    {104, "Connection reset by peer"},
    {122, "Disk quota exceeded"},
};

const char* errorText(int error) {
    for (const ErrorName& name : kErrorNames) {
        if (name.error == error) return name.text;
    }
    return nullptr;
}
#endif

// Appends `text` to the message of `length` bytes, keeping its last byte free for the newline.
template <int32_t N>
void append(char (&message)[N], int32_t& length, const char* text) {
    while (*text != 0 && length < N - 1)
        message[length++] = *text++;
}

}  // namespace

void writeImageBytes(const ImageOutput& output, const void* bytes, int32_t length) {
    const int error = hostWrite(1, bytes, length);
    if (error == 0) return;
    char message[256];
    int32_t used = 0;
    if (output.progressLineOpen) message[used++] = '\n';
    append(message, used, "raymarch: write error: ");
    if (const char* text = errorText(error)) {
        append(message, used, text);
    } else {
        char digits[12] = {};
        int count = 11;
        for (unsigned rest = static_cast<unsigned>(error); count == 11 || rest != 0; rest /= 10)
            digits[--count] = static_cast<char>('0' + rest % 10);
        append(message, used, "Unknown error ");
        append(message, used, digits + count);
    }
    message[used++] = '\n';
    hostWrite(2, message, used);
    hostExit(1);
}

void writeProgress(ImageOutput& output, const char* text, int32_t length) {
    if (length > 0 && hostWrite(2, text, length) == 0)
        output.progressLineOpen = text[length - 1] != '\n';
}

}  // namespace rm
