// libFuzzer target for the Tiled map reader. The first input byte picks what the rest becomes:
// map JSON for ParseString, raw bytes for the base64 and zlib decoders, or raw bytes wrapped as a
// layer's base64 data inside a small valid map. Besides crashes and sanitizer reports it traps
// when a result breaks the reader's promises (an OK map whose layer has the wrong cell count,
// a failure without a one-line message, a failed map that still carries layers).

#include "tiled/TileData.hpp"
#include "tiled/TiledMap.hpp"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

std::filesystem::path emptyDir; // tilesets named by the input resolve here and are not found

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckLayers(const std::vector<tmj::Layer>& layers)
{
    for (const tmj::Layer& layer : layers)
    {
        if (layer.type == tmj::LayerType::TileLayer)
            Check(layer.data.size() ==
                  static_cast<std::uint64_t>(layer.width) * static_cast<std::uint64_t>(layer.height));
        CheckLayers(layer.layers);
    }
}

void CheckMap(const tmj::Map& map)
{
    if (map.status == tmj::Status::OK)
    {
        Check(map.message.empty());
        Check(map.width > 0 && map.height > 0 && map.tileWidth > 0 && map.tileHeight > 0);
        CheckLayers(map.layers);
        for (const tmj::Layer& layer : map.layers)
            for (std::uint32_t gid : layer.data)
                if (const tmj::Tileset* tileset = map.FindTileset(tmj::TileId(gid)))
                    Check(tileset->Contains(tmj::TileId(gid)));
    }
    else
    {
        Check(!map.message.empty() && map.message.find('\n') == std::string::npos);
        Check(map.layers.empty() && map.tilesets.empty());
    }
}

std::string Base64(const std::uint8_t* data, std::size_t size)
{
    static const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < size; i += 3)
    {
        std::uint32_t group = static_cast<std::uint32_t>(data[i]) << 16;
        if (i + 1 < size)
            group |= static_cast<std::uint32_t>(data[i + 1]) << 8;
        if (i + 2 < size)
            group |= data[i + 2];
        out += letters[(group >> 18) & 63];
        out += letters[(group >> 12) & 63];
        out += i + 1 < size ? letters[(group >> 6) & 63] : '=';
        out += i + 2 < size ? letters[group & 63] : '=';
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/tiled_fuzzer_XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        std::abort();
    emptyDir = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    switch (mode % 4)
    {
    case 0:
    case 1:
    {
        // The reader's front door: any text as a map.
        CheckMap(tmj::ParseString(std::string(reinterpret_cast<const char*>(data), size), emptyDir));
        break;
    }
    case 2:
    {
        // The decoders on their own: two bytes of expected cell count, then the stream.
        if (size < 2)
            return 0;
        const std::size_t cells = static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8;
        std::vector<std::uint8_t> out;
        std::string error;
        if (tmj::InflateExactly(data + 2, size - 2, cells * 4, out, error))
            Check(out.size() == cells * 4);
        else
            Check(out.empty() && !error.empty());
        std::vector<std::uint32_t> decoded;
        const auto compression = static_cast<tmj::Compression>(mode / 4 % 3);
        const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
        if (tmj::DecodeTileData(text, compression, cells, decoded, error))
            Check(decoded.size() == cells);
        break;
    }
    case 3:
    {
        // Raw bytes as a layer's base64 data in an otherwise valid map.
        if (size < 2)
            return 0;
        const int width = 1 + data[0] % 16;
        const int height = 1 + data[1] % 16;
        static const char* compressions[] = {"", "zlib", "gzip"};
        std::string map = "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                          ",\"tilewidth\":32,\"tileheight\":32,\"tilesets\":[{\"firstgid\":1,\"name\":\"t\","
                          "\"image\":\"t.png\",\"tilecount\":8}],\"layers\":[{\"type\":\"tilelayer\","
                          "\"name\":\"g\",\"encoding\":\"base64\",\"compression\":\"" +
                          compressions[mode / 4 % 3] + "\",\"data\":\"" + Base64(data + 2, size - 2) +
                          "\"}]}";
        const tmj::Map parsed = tmj::ParseString(map, emptyDir);
        CheckMap(parsed);
        if (parsed.status == tmj::Status::OK)
            Check(parsed.layers.size() == 1 &&
                  parsed.layers[0].data.size() == static_cast<std::size_t>(width * height));
        break;
    }
    }
    return 0;
}
