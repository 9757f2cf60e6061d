#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

#include "app/host.h"

namespace rm {

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    // The C runtime opens the standard descriptors in text mode, which writes every 0x0A byte as
    // 0D 0A: both the image and the progress stream must go out exactly as given.
    if (_setmode(descriptor, _O_BINARY) < 0) return errno;
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const int written = _write(descriptor, next, static_cast<unsigned>(length));
        if (written < 0) return errno;
        if (written == 0) return EIO;
        next += written;
        length -= written;
    }
    return 0;
}

void hostExit(int32_t status) { _exit(status); }

}  // namespace rm
