#include "diff/tga_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/host.h"
#include "app/tga_header.h"
#include "common/input_file.h"
#include "common/output.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

namespace rm::tools {
namespace {

int littleEndian16(const std::uint8_t* b) { return b[0] | (b[1] << 8); }

const char kExpected[] = "; expected an uncompressed 24-bit TGA of 1280 x 1024 pixels";

}  // namespace

bool readTgaImage(const std::string& path, TgaImage& image, std::string& error) {
    const std::string name = printable(path);
    InputFile file;
    if (!file.open(path, error)) return false;
    image.device = file.device();
    image.inode = file.inode();

    std::uint8_t h[kTgaHeaderSize];
    std::size_t got = 0;
    if (!file.read(h, kTgaHeaderSize, got, error)) return false;
    if (got < kTgaHeaderSize) {
        error = name + " is not a TGA file: " + std::to_string(got) +
                " bytes, fewer than a TGA header" + kExpected;
        return false;
    }
    const int width = littleEndian16(h + 12);
    const int height = littleEndian16(h + 14);
    if (h[1] != 0 || h[2] != 2) {
        error = name + " is not an uncompressed true-colour TGA (image type " +
                std::to_string(h[2]) + ", colour map type " + std::to_string(h[1]) + ")" +
                kExpected;
        return false;
    }
    if (width != kTgaWidth || height != kTgaHeight || h[16] != 24) {
        error = name + " is a TGA of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels at " + std::to_string(h[16]) + " bits per pixel" + kExpected;
        return false;
    }
    if (h[17] & 0x30) {
        error = name + " stores its rows from the top or right to left" + kExpected +
                ", bottom row first";
        return false;
    }
    const std::size_t start = kTgaHeaderSize + h[0];
    const long long size = file.regularSize();
    if (size >= 0 &&
        static_cast<unsigned long long>(size) > start + kTgaPixelBytes + kTgaTrailerLimit) {
        error = name + " is not an image of the renderer: " + std::to_string(size) +
                " bytes, more than its " + std::to_string(start + kTgaPixelBytes) + " bytes and " +
                std::to_string(kTgaTrailerLimit) + " bytes after them";
        return false;
    }

    image.header.assign(h, h + kTgaHeaderSize);
    image.header.resize(start);
    if (!file.read(image.header.data() + kTgaHeaderSize, h[0], got, error)) return false;
    const std::size_t idBytes = got;
    image.pixels.assign(kTgaPixelBytes, 0);
    got = 0;
    if (idBytes == h[0] && !file.read(image.pixels.data(), kTgaPixelBytes, got, error))
        return false;
    if (got < kTgaRowBytes) {
        error = name + " is truncated: " + std::to_string(got) + " of the " +
                std::to_string(kTgaPixelBytes) + " bytes of pixels, not one whole row";
        return false;
    }
    image.rows = static_cast<int>(got / kTgaRowBytes);
    image.cutRowBytes = got % kTgaRowBytes;
    // What is cut off a row is not looked at.
    std::fill(image.pixels.begin() + static_cast<long>(got - image.cutRowBytes), image.pixels.end(),
              0);
    if (!image.complete()) return true;

    // Count the bytes after the pixels, up to the limit.
    std::uint8_t trailer[4096];
    image.trailing = 0;
    do {
        if (!file.read(trailer, sizeof trailer, got, error)) return false;
        image.trailing += got;
    } while (got == sizeof trailer && image.trailing <= kTgaTrailerLimit);
    if (image.trailing > kTgaTrailerLimit) {
        error = name + " is not an image of the renderer: more than " +
                std::to_string(kTgaTrailerLimit) + " bytes after its pixels";
        return false;
    }
    return true;
}

namespace {

// Whether the path names the file of that device and inode (following links), and whether the
// path itself is a symbolic link.
bool namesFile(const std::string& path, unsigned long long device, unsigned long long inode,
               bool& symbolic) {
#if defined(_WIN32)
    const HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    symbolic = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return known && info.dwVolumeSerialNumber == device &&
           ((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) ==
               inode;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || static_cast<unsigned long long>(st.st_dev) != device ||
        static_cast<unsigned long long>(st.st_ino) != inode) {
        return false;
    }
    struct stat link;
    symbolic = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    return true;
#endif
}

// A new file in the folder (its name, ending in a separator, or "" for the working folder),
// created afresh (never an existing file or link) under a short name of its own, so that it can
// be made beside any valid name; readable and writable as the process's file mode mask allows.
// Its descriptor, with its name in `name`, or -1 with errno set.
int createNewFile(const std::string& folder, std::string& name) {
#if defined(_WIN32)
    static unsigned counter = 0;
    const std::string stem =
        folder + ".raymarch_diff-" + std::to_string(GetCurrentProcessId()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(counter++);
        const int fd =
            _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
#else
    name = folder + ".raymarch_diff-XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0) {
        const int error = errno;
        close(fd);
        unlink(name.c_str());
        errno = error;
        return -1;
    }
    return fd;
#endif
}

// Puts the file in place of the name, replacing what is there (a link itself, never its target);
// the error number, or 0.
int replaceWith(const std::string& from, const std::string& to) {
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
    return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
#else
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#endif
}

#if !defined(_WIN32)
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}
#endif

// Why a mask may not be put at the name by renaming a new file to it, or "" when it may: the name
// must be free, a regular file, or a symbolic link to a regular file or to nothing. A device or a
// FIFO is refused rather than replaced (it would become a regular file) or written into (a FIFO
// without a reader would stop the run, and a device is no place for a picture).
std::string placeRefusal(const std::string& path, const std::string& name) {
#if defined(_WIN32)
    struct _stat64 st;
    if (_stat64(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return "cannot write " + name + ": " + std::strerror(EISDIR);
    }
    return "";
#else
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        // A name ending in '/' names a folder, which must exist.
        if (errno == ENOENT && path.back() != '/') return "";
        return "cannot write " + name + ": " + std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) return "cannot write " + name + ": " + std::strerror(EISDIR);
    if (S_ISREG(st.st_mode)) return "";
    const std::string advice =
        "; a mask is written only as a regular file: give another name, "
        "or --no-mask";
    if (!S_ISLNK(st.st_mode))
        return "not writing " + name + ": it is " + kindOf(st.st_mode) + advice;
    struct stat target;
    if (stat(path.c_str(), &target) != 0 || S_ISREG(target.st_mode)) return "";
    return "not writing " + name + ": it is a symbolic link to " + kindOf(target.st_mode) + advice;
#endif
}

}  // namespace

std::string notRegularFile(const std::string& path, unsigned long long device,
                           unsigned long long inode) {
#if defined(_WIN32)
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return "a symbolic link";
    bool symbolic = false;
    return namesFile(path, device, inode, symbolic) ? "" : "not the file that was read";
#else
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::string("gone: ") + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return "a symbolic link";
    if (!S_ISREG(st.st_mode)) return kindOf(st.st_mode);
    if (static_cast<unsigned long long>(st.st_dev) != device ||
        static_cast<unsigned long long>(st.st_ino) != inode) {
        return "no longer the file that was read";
    }
    return "";
#endif
}

bool prepareTgaImage(const std::string& path, const std::uint8_t* pixels, unsigned long long device,
                     unsigned long long inode, PendingFile& file, std::string& error) {
    const std::string name = printable(path);
    bool symbolic = false;
    if (namesFile(path, device, inode, symbolic)) {
        error = "not writing " + name + ": it " +
                (symbolic ? "is a symbolic link to the image being checked"
                          : "is the image being checked");
        return false;
    }
    error = placeRefusal(path, name);
    if (!error.empty()) return false;
#if defined(_WIN32)
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.rfind('/');
#endif
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const int fd = createNewFile(folder, file.temporary);
    if (fd < 0) {
        error = "cannot write " + name + ": " + std::strerror(errno);
        return false;
    }
    const TgaHeader header = makeTgaHeader();
    int failure = hostWrite(fd, header.bytes, kTgaHeaderSize);
    if (failure == 0) {
        failure = hostWrite(fd, pixels, static_cast<std::int32_t>(kTgaPixelBytes));
    }
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (failure != 0) {
        unlink(file.temporary.c_str());
        error = "cannot write " + name + ": " + std::strerror(failure);
        return false;
    }
    file.path = path;
    return true;
}

bool commitFile(const PendingFile& file, std::string& error) {
    const int failure = replaceWith(file.temporary, file.path);
    if (failure == 0) return true;
    unlink(file.temporary.c_str());
    error = "cannot write " + printable(file.path) + ": " + std::strerror(failure);
    return false;
}

void discardFile(const PendingFile& file) { unlink(file.temporary.c_str()); }

}  // namespace rm::tools
