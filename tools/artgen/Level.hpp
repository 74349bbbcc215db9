#pragma once

// The level: ground and decoration tiles, the enemies' road, and the map objects the game reads
// (base, waypoints, spawner, obstacles), written as a Tiled JSON map.

#include "tools/artgen/Raster.hpp"

#include <string>
#include <vector>

namespace artgen
{

struct Rect
{
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

struct Level
{
    static constexpr int width = 32;  // tiles
    static constexpr int height = 18; // tiles
    std::vector<int> ground;          // global tile ids, row by row
    std::vector<int> decor;           // 0 = empty
    std::vector<Vec> waypoints;       // pixel centres along the road, in walking order
    Rect base;
    Rect spawner;
    std::vector<Rect> obstacles;
};

Level BuildLevel();
std::string ToTiledJson(const Level& level, int sheetWidth, int sheetHeight);

} // namespace artgen
