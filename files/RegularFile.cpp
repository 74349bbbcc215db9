#include "files/RegularFile.hpp"

#include "files/Descriptor.hpp"

#include <algorithm>
#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files
{

FileRead OpenRegular(const std::filesystem::path& path, Descriptor& file, std::uintmax_t& size)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Unreadable;
    if (!S_ISREG(info.st_mode))
        return FileRead::NotRegular;
    // O_NONBLOCK: a FIFO swapped in since the check above makes open() return at once instead
    // of waiting for a writer; fstat then refuses it.
    file.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0)
        return errno == ENOENT ? FileRead::Missing : FileRead::Unreadable;
    if (::fstat(file.Get(), &info) != 0)
        return FileRead::Unreadable;
    if (!S_ISREG(info.st_mode))
        return FileRead::NotRegular;
    size = info.st_size < 0 ? 0 : static_cast<std::uintmax_t>(info.st_size);
    return FileRead::Ok;
}

FileRead ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& bytes,
                         Lock lock)
{
    bytes.clear();
    Descriptor file;
    std::uintmax_t size = 0;
    const FileRead opened = OpenRegular(path, file, size);
    if (opened != FileRead::Ok)
        return opened;
    if (size > maxBytes)
        return FileRead::TooLarge;
    // A game rewriting the file in place holds the exclusive lock until it is whole.
    if (lock == Lock::Shared)
        (void)::flock(file.Get(), LOCK_SH);
    // Read at most one byte past the cap, so a file that grows meanwhile is still refused.
    const auto limit = static_cast<std::size_t>(maxBytes) + 1;
    bytes.resize(std::min(static_cast<std::size_t>(size) + 1, limit));
    std::size_t got = 0;
    for (;;)
    {
        if (got == bytes.size())
        {
            if (bytes.size() == limit)
                break;
            bytes.resize(std::min(bytes.size() * 2, limit));
        }
        const ssize_t n = ::read(file.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            bytes.clear();
            return FileRead::Unreadable;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes)
    {
        bytes.clear();
        return FileRead::TooLarge;
    }
    bytes.resize(got);
    return FileRead::Ok;
}

std::string SizeText(std::uintmax_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= (1u << 10) && bytes % (1u << 10) == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string Describe(FileRead result, std::uintmax_t maxBytes)
{
    switch (result)
    {
    case FileRead::Ok:
        return "ok";
    case FileRead::Missing:
        return "the file does not exist";
    case FileRead::NotRegular:
        return "it is not a regular file";
    case FileRead::TooLarge:
        return "the file is larger than " + SizeText(maxBytes);
    case FileRead::Unreadable:
        break;
    }
    return "the file cannot be read";
}

} // namespace files
