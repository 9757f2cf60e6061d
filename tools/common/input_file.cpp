#include "common/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/output.h"

namespace rm::tools {

InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

bool InputFile::open(const std::string& path, std::string& error) {
    name_ = printable(path);
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        error = "cannot open " + name_ + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0) {
        error = "cannot read " + name_ + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "cannot read " + name_ + ": " + std::strerror(EISDIR);
        return false;
    }
    if (S_ISREG(st.st_mode)) regularSize_ = static_cast<long long>(st.st_size);
    device_ = static_cast<unsigned long long>(st.st_dev);
    inode_ = static_cast<unsigned long long>(st.st_ino);
    return true;
}

bool InputFile::read(std::uint8_t* into, std::size_t size, std::size_t& got, std::string& error) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd_, into + got, size - got);
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
