#pragma once

// Pictures for judging the art by eye: the level as a player would see it, and every sprite zoomed.

#include "tools/artgen/Level.hpp"

#include <string>

namespace artgen
{

// Reads the generated files from assetDir and writes preview_map.png and preview_sprites.png to outDir.
[[nodiscard]] bool WritePreviews(const std::string& assetDir, const std::string& outDir, const Level& level);

} // namespace artgen
