#include "files/ImageSize.hpp"

#include "files/Descriptor.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace files
{
namespace
{

// Reads up to `count` bytes at `offset`; returns how many it got (fewer at the end of the data).
using ReadAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* out, std::size_t count)>;

std::uint32_t Big16(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0] << 8 | b[1]);
}
std::uint32_t Big32(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
           static_cast<std::uint32_t>(b[2]) << 8 | b[3];
}
std::uint32_t Little32(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[3]) << 24 | static_cast<std::uint32_t>(b[2]) << 16 |
           static_cast<std::uint32_t>(b[1]) << 8 | b[0];
}
std::uint32_t Little16(const std::uint8_t* b)
{
    return static_cast<std::uint32_t>(b[1] << 8 | b[0]);
}

std::optional<Sides> NonZero(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0)
        return std::nullopt;
    return Sides{width, height};
}

// JPEG: the frame header (SOFn) names the size; before it come markers with lengths (APPn
// segments, tables) to skip, and 0xFF fill bytes. Stops at the first scan or after a bounded
// number of steps, so a file of fill bytes costs no more than a few reads.
std::optional<Sides> JpegSize(const ReadAt& read)
{
    std::uint64_t at = 2; // after the start-of-image marker
    for (int step = 0; step < 4096; ++step)
    {
        std::uint8_t b[9];
        if (read(at, b, 2) != 2 || b[0] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = b[1];
        if (marker == 0xFF) // fill byte
        {
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt; // the image ends or its data starts before any frame header
        if (read(at, b, 2) != 2)
            return std::nullopt;
        const std::uint32_t length = Big16(b);
        if (length < 2)
            return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            // length, precision, height, width
            if (length < 8 || read(at, b, 7) != 7)
                return std::nullopt;
            return NonZero(Big16(b + 5), Big16(b + 3));
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<Sides> HeaderSize(const ReadAt& read)
{
    std::uint8_t h[26] = {};
    const std::size_t got = read(0, h, sizeof h);
    static const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got >= 24 && std::memcmp(h, png, sizeof png) == 0)
    {
        // The IHDR chunk comes first and has a fixed place.
        if (Big32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
            return std::nullopt;
        const std::uint32_t width = Big32(h + 16);
        const std::uint32_t height = Big32(h + 20);
        if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) // the format's own bound
            return std::nullopt;
        return NonZero(width, height);
    }
    if (got >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF)
        return JpegSize(read);
    if (got >= 26 && h[0] == 'B' && h[1] == 'M')
    {
        const std::uint32_t infoSize = Little32(h + 14);
        if (infoSize == 12) // the old OS/2 header: 16-bit sides
            return NonZero(Little16(h + 18), Little16(h + 20));
        if (infoSize < 40)
            return std::nullopt;
        const auto width = static_cast<std::int32_t>(Little32(h + 18));
        const auto height = static_cast<std::int32_t>(Little32(h + 22)); // negative: rows from the top
        if (width <= 0 || height == INT32_MIN)
            return std::nullopt;
        return NonZero(static_cast<std::uint32_t>(width),
                       static_cast<std::uint32_t>(height < 0 ? -height : height));
    }
    return std::nullopt;
}

} // namespace

std::optional<Sides> ImageSize(const std::filesystem::path& path)
{
    Descriptor file;
    std::uintmax_t size = 0;
    if (OpenRegular(path, file, size) != FileRead::Ok)
        return std::nullopt;
    return HeaderSize(
        [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) -> std::size_t
        {
            if (offset >= size)
                return 0;
            std::size_t got = 0;
            while (got < count)
            {
                const ssize_t n =
                    ::pread(file.Get(), out + got, count - got, static_cast<off_t>(offset + got));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                got += static_cast<std::size_t>(n);
            }
            return got;
        });
}

std::optional<Sides> ImageSize(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return HeaderSize(
        [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) -> std::size_t
        {
            if (offset >= size)
                return 0;
            const std::size_t got = std::min<std::uint64_t>(count, size - offset);
            std::memcpy(out, bytes + offset, got);
            return got;
        });
}

} // namespace files
