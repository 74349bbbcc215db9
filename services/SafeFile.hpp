#pragma once
// Files the game writes (the highscore record, the settings): replaced whole and safely, so that a
// crash, a full disk or a second game saving at the same moment never leaves a broken file, and
// read back only when they are small regular files.

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

// What became of a save: saved, or why not, in words that read on after "Could not save ...: ".
struct FileSave
{
    bool saved = false;
    std::string error; // empty when saved
};

// Gives the random part of a temporary file's name, a new number per call. Left empty, a save
// draws from std::random_device; tests hand in a known sequence to know every name it tries.
using TemporaryNameSource = std::function<std::uint32_t()>;
// Names a save tries before it gives up; a name where a file or link already is is never opened.
constexpr int temporaryNameTries = 8;

// The temporary file that a save of the file at path, made by process pid, tries with number:
// ".<file name>.<pid>.<number in 8 hex digits>.tmp" in the file's folder.
std::string TemporaryName(const std::string& path, pid_t pid, std::uint32_t number);

// Saves text as the file at path. The bytes go to a new temporary file beside it (created
// exclusively, never through a link), are flushed to disk and renamed over it with the old file's
// permission bits, so the old file stays whole if anything fails and two games saving at once
// leave one complete file. The game writes only regular files with a single name: a symbolic link
// or a file with other names (hard links) in path's place is replaced by such a file through the
// rename, and neither the link's target nor the other names are ever opened for writing. When
// the folder takes no new file, a regular file with a single name that we may write is rewritten
// in place instead; a linked one is then left alone. A file we may not write is left alone.
[[nodiscard]] FileSave SaveFileSafely(const std::string& path, const std::string& text,
                                      const TemporaryNameSource& nameSource = {});

// Rewrites the existing file at path with text in place, holding an exclusive flock (readers
// take a shared one) and flushed to disk; only a regular file with a single name, never through
// a link. Room is reserved before the first byte changes, so a full disk or a file size limit
// leaves the old content whole.
[[nodiscard]] FileSave RewriteInPlace(const std::string& path, const std::string& text);

// Removes the temporary files that saves of the file at path left behind when their game was
// killed: only names of our pattern, whose game no longer runs or that are over an hour old. A
// file that cannot be removed is one line on standard error.
void RemoveStaleTemporaries(const std::string& path);

// Reads the whole file at path into text: a regular file of at most limit bytes (a FIFO in its
// place does not stall the game), under a shared lock so that a game rewriting it in place is
// waited for. Returns an empty string, or why it could not be read.
std::string ReadSmallFile(const std::string& path, std::size_t limit, std::string& text);
