#include "tiled/FileChecks.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tmj
{
namespace
{

namespace fs = std::filesystem;

// Closes the descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

std::string Size(std::uintmax_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= (1u << 10) && bytes % (1u << 10) == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

FileRead ReadRegularFile(const fs::path& path, std::uintmax_t maxBytes, std::string& text)
{
    text.clear();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return FileRead::Missing;
    if (fs::is_directory(status))
        return FileRead::Directory;
    if (!fs::is_regular_file(status))
        return FileRead::NotRegular;

    // O_NONBLOCK: if a FIFO took the file's place since the check above, open() returns at once
    // instead of waiting for a writer; fstat below then refuses it.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0)
        return errno == ENOENT ? FileRead::Missing : FileRead::Unreadable;
    struct stat info
    {
    };
    if (::fstat(file.Get(), &info) != 0)
        return FileRead::Unreadable;
    if (S_ISDIR(info.st_mode))
        return FileRead::Directory;
    if (!S_ISREG(info.st_mode))
        return FileRead::NotRegular;
    if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return FileRead::TooLarge;

    // Read at most one byte past the cap, so a file that grows meanwhile is still refused.
    const auto limit = static_cast<std::size_t>(maxBytes) + 1;
    text.resize(std::min(static_cast<std::size_t>(info.st_size) + 1, limit));
    std::size_t got = 0;
    for (;;)
    {
        if (got == text.size())
        {
            if (text.size() == limit)
                break;
            text.resize(std::min(text.size() * 2, limit));
        }
        const ssize_t n = ::read(file.Get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            text.clear();
            return FileRead::Unreadable;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes)
    {
        text.clear();
        return FileRead::TooLarge;
    }
    text.resize(got);
    return FileRead::Ok;
}

std::string Describe(FileRead result, std::uintmax_t maxBytes)
{
    switch (result)
    {
    case FileRead::Ok:
        return "ok";
    case FileRead::Missing:
        return "file not found";
    case FileRead::Directory:
        return "is a directory, not a file";
    case FileRead::NotRegular:
        return "is not a regular file";
    case FileRead::TooLarge:
        return "file is larger than " + Size(maxBytes);
    case FileRead::Unreadable:
        return "cannot read the file";
    }
    return "cannot read the file";
}

} // namespace tmj
