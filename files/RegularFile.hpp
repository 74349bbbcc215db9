#pragma once
// The one way the game and its stand-in libraries read a file: only a regular file, only up to a
// size cap, and never blocking. A FIFO, a device or a folder named where a file belongs would
// otherwise hang open() waiting for a writer, or never reach its end. Knows nothing of the game.

#include <cstdint>
#include <filesystem>
#include <string>

namespace files
{

enum class FileRead
{
    Ok,
    Missing,
    NotRegular, // a folder, a FIFO, a socket, a device
    TooLarge,
    Unreadable,
};

// Whether a read waits for a writer that holds an exclusive flock on the file (a game rewriting
// it in place) until the file is whole again.
enum class Lock
{
    None,
    Shared,
};

// Fills `bytes` with the whole file when it is a regular file of at most maxBytes. The kind of
// file is checked by name before opening and again on the open descriptor; the open itself does
// not wait, so a FIFO put in the file's place cannot block it. A file that grows past the cap
// while it is read is refused too. Leaves `bytes` empty on failure.
FileRead ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& bytes,
                         Lock lock = Lock::None);

// The refusal in a few words that read on after a colon: "it is not a regular file", "the file is
// larger than 1 MiB", ...
std::string Describe(FileRead result, std::uintmax_t maxBytes);

// A size in bytes as a reader says it: "16 MiB", "4 KiB", "100 bytes".
std::string SizeText(std::uintmax_t bytes);

} // namespace files
