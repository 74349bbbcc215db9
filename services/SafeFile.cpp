#include "services/SafeFile.hpp"

#include "files/RegularFile.hpp"
#include "services/AssetsLocation.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <random>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// strerror's text, starting in lower case to read on after a colon.
std::string Reason(int error)
{
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

FileSave Failed(std::string why)
{
    return {false, std::move(why)};
}

fs::path FolderOf(const fs::path& file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// The pid of a name TemporaryName makes for a file called fileName, or 0.
pid_t TemporaryNameOwner(const std::string& entry, const std::string& fileName)
{
    const std::string prefix = "." + fileName + ".";
    const std::string suffix = ".tmp";
    constexpr std::size_t hexDigits = 8;
    if (entry.size() < prefix.size() + 2 + hexDigits + suffix.size() || entry.rfind(prefix, 0) != 0 ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::size_t hexStart = entry.size() - suffix.size() - hexDigits;
    if (entry[hexStart - 1] != '.' ||
        !std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(hexStart),
                     entry.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
        return 0;
    const char* first = entry.data() + prefix.size();
    const char* last = entry.data() + hexStart - 1;
    pid_t pid = 0;
    const auto parsed = std::from_chars(first, last, pid);
    if (parsed.ec != std::errc() || parsed.ptr != last || pid <= 0 || *first == '0')
        return 0;
    return pid;
}

// Writes all of text at offset 0; an empty answer means it is all there.
std::string WriteAll(int fd, const std::string& text)
{
    std::size_t written = 0;
    while (written < text.size())
    {
        const ssize_t n =
            ::pwrite(fd, text.data() + written, text.size() - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? Reason(errno) : "nothing could be written";
        written += static_cast<std::size_t>(n);
    }
    return {};
}

// Makes a finished rename last through a crash; a folder that cannot be flushed is no failure of
// the save, whose bytes are already on disk.
void FlushFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

bool IsPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}
} // namespace

std::string TemporaryName(const std::string& recordPath, pid_t pid, std::uint32_t number)
{
    const fs::path record = recordPath;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", number);
    const std::string name =
        "." + record.filename().string() + "." + std::to_string(pid) + "." + hex + ".tmp";
    return (FolderOf(record) / name).string();
}

FileSave SaveFileSafely(const std::string& path, const std::string& text,
                        const TemporaryNameSource& nameSource)
{
    if (path.empty())
        return Failed("there is no folder to save in (HOME is not set)");
    // An installed game's first save makes the player's folder for it.
    if (const std::string problem = PrepareFolderOf(path); !problem.empty())
        return Failed(problem);
    // The record is the name itself, never what a link there points at: a link planted in a
    // copied assets folder would otherwise let the game overwrite any file its player may write.
    const fs::path record = path;
    const std::string fileName = record.filename().string();
    const fs::path folder = FolderOf(record);

    struct stat existing = {};
    const bool present = ::lstat(record.c_str(), &existing) == 0;
    if (!present && errno != ENOENT)
        return Failed(Reason(errno));
    if (present && S_ISDIR(existing.st_mode))
        return Failed(fileName + " is a folder");
    if (present && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
        return Failed(fileName + " is not a plain file");
    // A link, or a file with other names, is replaced by a file of its own through the rename:
    // the link's target and the other names keep what they hold.
    const bool ownFile = present && S_ISREG(existing.st_mode) && existing.st_nlink == 1;
    const bool regular = present && S_ISREG(existing.st_mode);
    if (regular && ::faccessat(AT_FDCWD, record.c_str(), W_OK, AT_EACCESS) != 0)
        return Failed(IsPermissionError(errno) ? fileName + " is read-only" : Reason(errno));
    // Where the folder takes no new file, only a file of our own with a single name is rewritten
    // in place.
    const auto inPlaceOrRefused = [&]
    {
        if (ownFile)
            return RewriteInPlace(record.string(), text);
        if (regular)
            return Failed("the folder of " + fileName + " is read-only, and " + fileName +
                          " has other names that a rewrite in place would change too");
        return Failed("the folder of " + fileName + " is read-only");
    };

    std::random_device device;
    std::string temporary;
    int fd = -1;
    int openError = 0;
    for (int attempt = 0; attempt < temporaryNameTries; ++attempt)
    {
        temporary = TemporaryName(record.string(), ::getpid(), nameSource ? nameSource() : device());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        openError = fd < 0 ? errno : 0;
        if (openError != EEXIST)
            break;
    }
    if (fd < 0)
    {
        if (IsPermissionError(openError))
            return inPlaceOrRefused();
        if (openError == EEXIST)
            return Failed("no free temporary name beside " + fileName);
        return Failed(Reason(openError));
    }

    std::string problem = WriteAll(fd, text);
    if (regular)
    {
        // The replacement keeps the record's nature: its permission bits and, where we may, its owner.
        if (problem.empty() && ::fchmod(fd, existing.st_mode & 07777) != 0)
            problem = Reason(errno);
        if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
            ::fchown(fd, existing.st_uid, existing.st_gid) != 0)
        {
            // Only root may give a file away; anyone else's copy stays theirs, as it was.
        }
    }
    if (problem.empty() && ::fsync(fd) != 0)
        problem = Reason(errno);
    if (::close(fd) != 0 && problem.empty())
        problem = Reason(errno);
    if (problem.empty() && std::rename(temporary.c_str(), record.c_str()) != 0)
    {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        if (IsPermissionError(renameError))
            return inPlaceOrRefused();
        return Failed(Reason(renameError));
    }
    if (!problem.empty())
    {
        ::unlink(temporary.c_str());
        return Failed(problem);
    }
    FlushFolder(folder);
    return {true, {}};
}

FileSave RewriteInPlace(const std::string& path, const std::string& text)
{
    const std::string fileName = fs::path(path).filename().string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Failed(IsPermissionError(errno) ? fileName + " is read-only" : Reason(errno));
    struct stat opened = {};
    std::string problem;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))
        problem = fileName + " is not a plain file";
    // Rewriting a file with other names would change what they hold too.
    else if (opened.st_nlink != 1)
        problem = fileName + " has other names that a rewrite in place would change too";
    // Two games rewriting at once take turns instead of mixing their bytes.
    if (problem.empty() && ::flock(fd, LOCK_EX) != 0)
        problem = Reason(errno);
    const auto size = static_cast<off_t>(text.size());
    if (problem.empty() && ::fallocate(fd, 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        problem = Reason(errno);
    if (problem.empty())
        problem = WriteAll(fd, text);
    if (problem.empty() && ::ftruncate(fd, size) != 0)
        problem = Reason(errno);
    if (problem.empty() && ::fsync(fd) != 0)
        problem = Reason(errno);
    if (::close(fd) != 0 && problem.empty())
        problem = Reason(errno);
    return problem.empty() ? FileSave{true, {}} : Failed(problem);
}

void RemoveStaleTemporaries(const std::string& recordPath)
{
    const fs::path record = recordPath;
    const std::string fileName = record.filename().string();
    constexpr std::time_t staleAfter = 60 * 60; // seconds; a save takes milliseconds
    std::error_code error;
    for (fs::directory_iterator entry(FolderOf(record), error), end; !error && entry != end;
         entry.increment(error))
    {
        const pid_t owner = TemporaryNameOwner(entry->path().filename().string(), fileName);
        struct stat status = {};
        if (owner == 0 || ::lstat(entry->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        // A pid may be reused by another program, so age alone also makes a file stale.
        const bool ownerGone = ::kill(owner, 0) != 0 && errno == ESRCH;
        if (!ownerGone && std::time(nullptr) - status.st_mtime < staleAfter)
            continue;
        if (::unlink(entry->path().c_str()) != 0)
            std::cerr << "Could not remove the stale temporary file \"" << entry->path().string()
                      << "\": " << Reason(errno) << std::endl;
    }
}

std::string ReadSmallFile(const std::string& path, std::size_t limit, std::string& text)
{
    const files::FileRead read = files::ReadRegularFile(path, limit, text, files::Lock::Shared);
    return read == files::FileRead::Ok ? std::string() : files::Describe(read, limit);
}
