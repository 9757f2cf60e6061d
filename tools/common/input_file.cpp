#include "common/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/output.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif
#if !defined(O_CLOEXEC)
#define O_CLOEXEC 0
#endif
#if !defined(O_NOCTTY)
#define O_NOCTTY 0
#endif
#if !defined(O_BINARY)
#define O_BINARY 0
#endif

namespace rm::tools {

InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

bool InputFile::open(const std::string& path, std::string& error) {
    name_ = printable(path);
#if defined(_WIN32)
    // Windows refuses to open a folder at all, and gives no reason that names it.
    struct _stat64 folder;
    if (_stat64(path.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)) {
        error = "cannot read " + name_ + ": " + std::strerror(EISDIR);
        return false;
    }
#endif
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_BINARY);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error = "cannot open " + name_ + ": " + std::strerror(errno);
        return false;
    }
#if defined(_WIN32)
    // The sizes of files past 2 GiB, and the volume and index that name a file as device and
    // inode do elsewhere.
    struct _stat64 st;
    const int statFailed = _fstat64(fd_, &st);
#else
    struct stat st;
    const int statFailed = fstat(fd_, &st);
#endif
    if (statFailed != 0) {
        error = "cannot read " + name_ + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "cannot read " + name_ + ": " + std::strerror(EISDIR);
        return false;
    }
    if (S_ISREG(st.st_mode)) regularSize_ = static_cast<long long>(st.st_size);
#if defined(_WIN32)
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), &info)) {
        device_ = info.dwVolumeSerialNumber;
        inode_ = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
#else
    device_ = static_cast<unsigned long long>(st.st_dev);
    inode_ = static_cast<unsigned long long>(st.st_ino);
#endif
    return true;
}

bool InputFile::read(std::uint8_t* into, std::size_t size, std::size_t& got, std::string& error) {
    got = 0;
    while (got < size) {
        const auto n =
            ::read(fd_, into + got,
                   static_cast<unsigned>(std::min<std::size_t>(size - got, std::size_t{1} << 30)));
        if (n < 0) {
            if (errno == EINTR) continue;
            error = "cannot read " + name_ + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool readSmallFile(const std::string& path, std::size_t limit, std::string& text,
                   std::string& error) {
    InputFile file;
    if (!file.open(path, error)) return false;
    std::string bytes;
    for (;;) {
        const std::size_t start = bytes.size();
        bytes.resize(start + (std::size_t{1} << 20));
        std::size_t got = 0;
        if (!file.read(reinterpret_cast<std::uint8_t*>(bytes.data() + start), bytes.size() - start,
                       got, error)) {
            return false;
        }
        bytes.resize(start + got);
        if (bytes.size() > limit) {
            error = printable(path) + " is larger than " + std::to_string(limit) + " bytes";
            return false;
        }
        if (got == 0) break;
    }
    text = std::move(bytes);
    return true;
}

}  // namespace rm::tools
