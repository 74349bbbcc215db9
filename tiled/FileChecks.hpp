#pragma once
// The one way the map reader reads a file (the map, each external tileset): only a regular file,
// only up to a size cap, and never blocking. A FIFO or a device named where a map or tileset
// belongs would otherwise hang open() waiting for a writer, or never reach its end.

#include <cstdint>
#include <filesystem>
#include <string>

namespace tmj
{

enum class FileRead
{
    Ok,
    Missing,
    Directory,
    NotRegular, // a FIFO, a socket, a device
    TooLarge,
    Unreadable,
};

// Fills `text` with the whole file when it is a regular file of at most maxBytes. The kind of
// file is checked by name before opening and again on the open descriptor (the open itself does
// not wait, so a FIFO swapped in between cannot block it). Leaves `text` empty on failure.
FileRead ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& text);

// A few words for a message: "file not found", "is larger than 16 MiB", ...
std::string Describe(FileRead result, std::uintmax_t maxBytes);

} // namespace tmj
