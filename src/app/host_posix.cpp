#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include "app/host.h"

namespace rm {

namespace {

// A parent may hand over a descriptor in non-blocking mode; a write that would block then fails
// with EAGAIN although nothing is wrong. Sleep until the descriptor takes bytes again. Whatever
// poll reports, the next write tells whether the descriptor is still usable.
int waitUntilWritable(int32_t descriptor) {
    pollfd entry{descriptor, POLLOUT, 0};
    while (poll(&entry, 1, -1) < 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

}  // namespace

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const ssize_t written = write(descriptor, next, static_cast<size_t>(length));
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                const int error = waitUntilWritable(descriptor);
                if (error != 0) return error;
                continue;
            }
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
