#include <errno.h>
#include <unistd.h>

#include "app/host.h"

namespace rm {

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const ssize_t written = write(descriptor, next, static_cast<size_t>(length));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        next += written;
        length -= static_cast<int32_t>(written);
    }
    return 0;
}

void hostExit(int32_t status) { _exit(status); }

}  // namespace rm
