#include <errno.h>
#include <wasi/api.h>

#include "app/host.h"

namespace rm {

// The caller reports a failure with strerror, so WASI's error codes must be the C library's errno
// values; wasi-libc defines them that way.
static_assert(ENOSPC == __WASI_ERRNO_NOSPC && EPIPE == __WASI_ERRNO_PIPE &&
              EBADF == __WASI_ERRNO_BADF && EIO == __WASI_ERRNO_IO);

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    const uint8_t* next = static_cast<const uint8_t*>(bytes);
    while (length > 0) {
        const __wasi_ciovec_t piece{next, static_cast<__wasi_size_t>(length)};
        __wasi_size_t written = 0;
        const __wasi_errno_t error =
            __wasi_fd_write(static_cast<__wasi_fd_t>(descriptor), &piece, 1, &written);
        if (error == __WASI_ERRNO_INTR) continue;
        if (error != __WASI_ERRNO_SUCCESS) return error;
        // Neither progress nor an error: give up rather than loop for ever.
        if (written == 0) return EIO;
        next += written;
        length -= static_cast<int32_t>(written);
    }
    return 0;
}

void hostExit(int32_t status) { __wasi_proc_exit(static_cast<__wasi_exitcode_t>(status)); }

}  // namespace rm
