#pragma once
// Decoding of a tile layer's base64 "data" string: base64, then optionally zlib or gzip, then
// little-endian uint32 cells. Kept apart from the map reader so tests and the fuzzer can drive
// it with raw bytes. Nothing here throws or reads outside its inputs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmj
{

enum class Compression
{
    None,
    Zlib,
    Gzip,
};

// Standard base64 with '=' padding; whitespace between characters is skipped. On failure returns
// false and sets error to a short phrase such as "bad base64 character '*' at offset 12".
bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& out, std::string& error);

// Inflates a zlib or gzip stream (the header decides, whichever compression the layer names)
// into exactly expectedSize bytes. The output grows with what the stream really holds, so a tiny
// stream never makes a large allocation, and inflation stops once expectedSize is passed.
// Fails on a corrupt or truncated stream, a stream that ends short of or runs past expectedSize,
// and bytes after the end of the stream.
bool InflateExactly(const std::uint8_t* data, std::size_t size, std::size_t expectedSize,
                    std::vector<std::uint8_t>& out, std::string& error);

// The whole chain: exactly cellCount cells or false with error set.
bool DecodeTileData(std::string_view base64, Compression compression, std::size_t cellCount,
                    std::vector<std::uint32_t>& cells, std::string& error);

} // namespace tmj
