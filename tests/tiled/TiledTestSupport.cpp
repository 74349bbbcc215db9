#include "tests/tiled/TiledTestSupport.hpp"

#include <zlib.h>

namespace tmjtest
{

nlohmann::json SmallMap()
{
    return {{"width", 3},
            {"height", 2},
            {"tilewidth", 16},
            {"tileheight", 16},
            {"orientation", "orthogonal"},
            {"version", "1.8"},
            {"tilesets", {{{"firstgid", 1}, {"name", "t"}, {"image", "t.png"}, {"tilecount", 8}}}},
            {"layers", nlohmann::json::array()}};
}

nlohmann::json TileLayer(const std::string& name, nlohmann::json data)
{
    return {{"type", "tilelayer"}, {"name", name}, {"width", 3}, {"height", 2}, {"data", std::move(data)}};
}

std::string Base64(const std::vector<std::uint8_t>& bytes)
{
    static const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= bytes[i + 2];
        out += letters[(group >> 18) & 63];
        out += letters[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? letters[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? letters[group & 63] : '=';
    }
    return out;
}

std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint32_t>& cells)
{
    std::vector<std::uint8_t> out;
    for (std::uint32_t cell : cells)
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<std::uint8_t>(cell >> shift));
    return out;
}

namespace
{

// windowBits 15: zlib header; 15 + 16: gzip header.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& bytes, int windowBits)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::vector<std::uint8_t> in = bytes;
    std::vector<std::uint8_t> out(deflateBound(&zs, static_cast<uLong>(in.size())) + 32);
    zs.next_in = in.data();
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return result == Z_STREAM_END ? out : std::vector<std::uint8_t>{};
}

} // namespace

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& bytes)
{
    return Deflate(bytes, 15);
}
std::vector<std::uint8_t> Gzip(const std::vector<std::uint8_t>& bytes)
{
    return Deflate(bytes, 15 + 16);
}

} // namespace tmjtest
