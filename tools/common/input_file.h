#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rm::tools {

// A file opened for reading, never for writing; closed with the object.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens the file; on failure, false and "cannot open NAME: reason" or, for a folder,
    // "cannot read NAME: Is a directory". NAME is printed with control characters escaped.
    bool open(const std::string& path, std::string& error);
    // Reads up to `size` bytes into `into` (whatever is there, short only at the end); false,
    // with "cannot read NAME: reason", when a read fails.
    bool read(std::uint8_t* into, std::size_t size, std::size_t& got, std::string& error);
    // The file's size where it is a regular file, else -1.
    long long regularSize() const { return regularSize_; }
    // Its device and inode.
    unsigned long long device() const { return device_; }
    unsigned long long inode() const { return inode_; }

private:
    int fd_ = -1;
    std::string name_;
    long long regularSize_ = -1;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
};

// Reads a whole file of at most `limit` bytes; false with the reason otherwise.
bool readSmallFile(const std::string& path, std::size_t limit, std::string& text,
                   std::string& error);

}  // namespace rm::tools
