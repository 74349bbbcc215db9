#include "tiled/TileData.hpp"

#include <algorithm>
#include <climits>

#define ZLIB_CONST
#include <zlib.h>

namespace tmj
{
namespace
{

// 0..63 for base64 letters, -1 for anything else.
int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsSpace(unsigned char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

std::string DescribeChar(unsigned char c)
{
    if (c >= 0x20 && c < 0x7f)
        return std::string("'") + static_cast<char>(c) + "'";
    static const char* hex = "0123456789abcdef";
    return std::string("byte 0x") + hex[c >> 4] + hex[c & 15];
}

} // namespace

bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& out, std::string& error)
{
    out.clear();
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t group = 0; // up to four 6-bit values
    int inGroup = 0;
    int padding = 0;
    bool ended = false; // a padded group ends the data
    std::size_t letters = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsSpace(c))
            continue;
        if (ended)
        {
            error = "base64 data continues after padding at offset " + std::to_string(i);
            return false;
        }
        if (c == '=')
        {
            // Padding only completes the last group: "xx==" or "xxx=".
            if (inGroup + padding < 2)
            {
                error = "misplaced base64 padding at offset " + std::to_string(i);
                return false;
            }
            ++padding;
            ++letters;
            if (inGroup + padding == 4)
            {
                if (padding == 2)
                    out.push_back(static_cast<std::uint8_t>(group >> 4));
                else
                {
                    out.push_back(static_cast<std::uint8_t>(group >> 10));
                    out.push_back(static_cast<std::uint8_t>(group >> 2));
                }
                ended = true;
            }
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0)
        {
            error = "bad base64 character " + DescribeChar(c) + " at offset " + std::to_string(i);
            return false;
        }
        if (padding > 0)
        {
            error = "bad base64 padding before offset " + std::to_string(i);
            return false;
        }
        group = (group << 6) | static_cast<std::uint32_t>(value);
        ++inGroup;
        ++letters;
        if (inGroup == 4)
        {
            out.push_back(static_cast<std::uint8_t>(group >> 16));
            out.push_back(static_cast<std::uint8_t>(group >> 8));
            out.push_back(static_cast<std::uint8_t>(group));
            group = 0;
            inGroup = 0;
        }
    }
    if (!ended && (inGroup != 0 || padding > 0))
    {
        error = "base64 length " + std::to_string(letters) + " is not a multiple of 4";
        return false;
    }
    return true;
}

bool InflateExactly(const std::uint8_t* data, std::size_t size, std::size_t expectedSize,
                    std::vector<std::uint8_t>& out, std::string& error)
{
    out.clear();
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 32) != Z_OK) // 15-bit window, +32: detect zlib or gzip header
    {
        error = "cannot start zlib";
        return false;
    }
    constexpr std::size_t firstChunk = 64 * 1024;
    std::size_t produced = 0;
    std::size_t consumed = 0;
    bool ok = false;
    for (;;)
    {
        if (zs.avail_in == 0 && consumed < size)
        {
            const std::size_t part = std::min<std::size_t>(size - consumed, UINT_MAX);
            zs.next_in = data + consumed;
            zs.avail_in = static_cast<uInt>(part);
            consumed += part;
        }
        const bool full = produced == expectedSize;
        if (!full && produced == out.size())
            out.resize(std::min(expectedSize, std::max(firstChunk, out.size() * 2)));
        std::uint8_t spill = 0; // once full, one byte more proves the stream is too long
        if (full)
        {
            zs.next_out = &spill;
            zs.avail_out = 1;
        }
        else
        {
            const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
            zs.next_out = out.data() + produced;
            zs.avail_out = static_cast<uInt>(room);
        }
        const uInt roomBefore = zs.avail_out;
        const int result = inflate(&zs, Z_NO_FLUSH);
        const std::size_t written = roomBefore - zs.avail_out;
        if (full && written > 0)
        {
            error = "compressed data inflates to more than the expected " + std::to_string(expectedSize) +
                    " bytes";
            break;
        }
        produced += written;
        if (result == Z_STREAM_END)
        {
            const std::size_t trailing = zs.avail_in + (size - consumed);
            if (produced != expectedSize)
                error = "compressed data inflates to " + std::to_string(produced) + " bytes, expected " +
                        std::to_string(expectedSize);
            else if (trailing > 0)
                error = std::to_string(trailing) + " bytes after the end of the compressed data";
            else
                ok = true;
            break;
        }
        if (result == Z_OK)
            continue;
        if (result == Z_BUF_ERROR && zs.avail_in == 0 && consumed == size)
            error = "compressed data is truncated";
        else if (result == Z_NEED_DICT)
            error = "compressed data needs a preset dictionary";
        else if (result == Z_MEM_ERROR)
            error = "out of memory while inflating";
        else
            error =
                std::string("corrupt compressed data (") + (zs.msg != nullptr ? zs.msg : "zlib error") + ")";
        break;
    }
    inflateEnd(&zs);
    if (!ok)
        out.clear();
    else
        out.resize(produced);
    return ok;
}

bool DecodeTileData(std::string_view base64, Compression compression, std::size_t cellCount,
                    std::vector<std::uint32_t>& cells, std::string& error)
{
    cells.clear();
    if (cellCount > SIZE_MAX / 4)
    {
        error = "too many cells";
        return false;
    }
    const std::size_t expectedBytes = cellCount * 4;
    std::vector<std::uint8_t> bytes;
    if (!DecodeBase64(base64, bytes, error))
        return false;
    if (compression != Compression::None)
    {
        std::vector<std::uint8_t> inflated;
        if (!InflateExactly(bytes.data(), bytes.size(), expectedBytes, inflated, error))
            return false;
        bytes.swap(inflated);
    }
    if (bytes.size() != expectedBytes)
    {
        error = "data holds " + std::to_string(bytes.size()) + " bytes, expected " +
                std::to_string(expectedBytes) + " (4 per cell)";
        return false;
    }
    cells.resize(cellCount);
    for (std::size_t i = 0; i < cellCount; ++i)
    {
        const std::uint8_t* b = bytes.data() + i * 4;
        cells[i] = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                   static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }
    return true;
}

} // namespace tmj
