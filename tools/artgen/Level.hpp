#pragma once

// The levels: ground and decoration tiles, the enemies' road, and the map objects the game reads
// (base, waypoints, spawners, obstacles), written as Tiled JSON maps. Each level is a design: its
// road's corners, where its spawners stand, its water and rocks and its keep.

#include "tools/artgen/Raster.hpp"

#include <cstdint>
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

struct Cell
{
    int c;
    int r;
};

// A spawner: where it stands and the properties the game reads from it.
struct Gate
{
    Cell at;
    int enters; // the side the road comes in from, off the map (tiles::west...)
    int waveSize = 10;
    float spawnRate = 1.f; // seconds
    int middleEnemy = 3;
    int hardEnemy = 6;
};

struct LevelDesign
{
    std::string file;      // relative to the assets folder
    std::string name;      // the map's "Name" property; empty: none (the first level's map has none)
    std::string tilesheet; // the tile sheet's image as seen from the map's folder
    // The road from the first waypoint to its end beside the keep, corner by corner. Enemies walk
    // from their spawner straight to the first corner, so each gate stands in line with it.
    std::vector<Cell> road;
    std::vector<Gate> gates;
    std::vector<Rect> ponds; // in tiles
    std::vector<Cell> rocks;
    // Or the ground drawn row by row, 32 characters each: '~' water, 'o' a rock, anything else
    // grass (the road is laid over it). Water becomes obstacles a rectangle per run of rows.
    std::vector<std::string> terrain;
    Rect keep;       // pixels: the keep's 96 px picture, centred on the path's end
    Rect keepGround; // pixels: not buildable around the keep
    std::uint64_t seed = 2024;
};

struct Level
{
    static constexpr int width = 32;  // tiles
    static constexpr int height = 18; // tiles
    std::string name;
    std::string tilesheet;
    std::vector<int> ground;    // global tile ids, row by row
    std::vector<int> decor;     // 0 = empty
    std::vector<Vec> waypoints; // pixel centres along the road, in walking order
    Rect base;
    std::vector<Rect> spawners;
    std::vector<Gate> gates; // the spawners' properties, in the same order
    std::vector<Rect> obstacles;
};

// Every level the game ships, the first one ("game.tmj") first.
const std::vector<LevelDesign>& LevelDesigns();
Level BuildLevel(const LevelDesign& design);
std::string ToTiledJson(const Level& level, int sheetWidth, int sheetHeight);

} // namespace artgen
