#pragma once

// The level's tile sheet: 40 x 40 tiles, 8 to a row. The constants name where each kind of tile
// sits, so the map writer and the sheet always agree.

#include "tools/artgen/Raster.hpp"

namespace artgen::tiles
{

constexpr int size = 40;
constexpr int columns = 8;
constexpr int rows = 7;
constexpr int count = columns * rows;

// Neighbour bits for road and water tiles: which sides continue into a tile of the same kind.
constexpr int north = 1;
constexpr int east = 2;
constexpr int south = 4;
constexpr int west = 8;

constexpr int grassFirst = 0; // 8 grass variants that join seamlessly in any order
constexpr int grassCount = 8;
constexpr int roadFirst = 8;   // + neighbour bits
constexpr int waterFirst = 24; // + neighbour bits
constexpr int rockFirst = 40;  // boulders on grass
constexpr int rockCount = 4;
constexpr int cobble = 44;
constexpr int cobbleWorn = 45;
constexpr int sand = 46;
constexpr int meadow = 47;
constexpr int decorFirst = 48; // transparent overlays for the upper layer
constexpr int decorCount = 8;

Layer Sheet();

} // namespace artgen::tiles
