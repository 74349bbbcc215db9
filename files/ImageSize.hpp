#pragma once
// An image's width and height read from its header, before anything decodes its pixels: a file
// that claims a huge picture is refused before it can take the memory it claims.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace files
{

struct Sides
{
    std::uint32_t width = 0, height = 0; // pixels
    bool operator==(const Sides&) const = default;
};

// The sides that a PNG, JPEG or BMP header gives, read without decoding the image (a few bytes for
// PNG and BMP; the markers before the frame header for JPEG). Empty for a missing file, anything
// but a regular file, another format, a damaged header or a zero side.
std::optional<Sides> ImageSize(const std::filesystem::path& path);
// The same for the bytes of a whole image file already in memory.
std::optional<Sides> ImageSize(const void* data, std::size_t size);

} // namespace files
