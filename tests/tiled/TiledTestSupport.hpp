#pragma once
// Builders for map JSON and encoded tile data shared by the reader's tests.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tmjtest
{

// A valid 3 x 2 map of 16-pixel tiles with one tileset (ids 1..8) and no layers.
nlohmann::json SmallMap();
nlohmann::json TileLayer(const std::string& name, nlohmann::json data);

std::string Base64(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint32_t>& cells);
std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> Gzip(const std::vector<std::uint8_t>& bytes);

} // namespace tmjtest
