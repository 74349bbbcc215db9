#pragma once
// Inside the file library: an open file descriptor closed on every way out, and the opening of a
// regular file that both the reader and the image header's reader start with.

#include "files/RegularFile.hpp"

#include <fcntl.h>
#include <unistd.h>

namespace files
{

class Descriptor
{
public:
    Descriptor() = default;
    ~Descriptor() { Reset(-1); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// Opens a regular file for reading without waiting, or says why not; `size` is its size in bytes.
FileRead OpenRegular(const std::filesystem::path& path, Descriptor& file, std::uintmax_t& size);

} // namespace files
