#pragma once
// The widget layer's checks on the files it reads (form files and the images they name), kept in
// one place: only regular files, only up to a size cap, never blocking in open(); and an image's
// width and height read from its header, before anything decodes its pixels. The game may use
// ImageSize for its own textures too.

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vgui
{

enum class FileRead
{
    Ok,
    Missing,
    NotRegular, // a directory, a FIFO, a device
    TooLarge,
    Unreadable,
};

// Fills `bytes` with the whole file when it is a regular file of at most maxBytes. The kind of
// file is checked by name before opening and again on the open descriptor; the open itself does
// not wait, so a FIFO put in the file's place cannot block it. Leaves `bytes` empty on failure.
FileRead ReadRegularFile(const std::string& path, std::uintmax_t maxBytes, std::string& bytes);

// A few words for a message: "it is not a regular file", "the file is larger than 1 MiB", ...
std::string Describe(FileRead result, std::uintmax_t maxBytes);

// The width and height in pixels that a PNG, JPEG or BMP header gives, read without decoding the
// image (a few bytes for PNG and BMP; the markers before the frame header for JPEG). Empty for a
// missing file, anything but a regular file, another format, a damaged header or a zero side.
std::optional<sf::Vector2u> ImageSize(const std::string& path);
// The same for the bytes of a whole image file already in memory.
std::optional<sf::Vector2u> ImageSize(const void* data, std::size_t size);

} // namespace vgui
