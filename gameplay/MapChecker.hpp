#pragma once
// Reads a level map as the game does and says, one line each, what would keep it from being
// played as meant: a missing or second base, no spawner, a path that does not end in the base,
// waypoints sharing an index or a spot, spawner properties out of range, objects outside the
// map, tiles that no tileset holds, tileset images missing or too large, and the limits below
// (tiles too large, or too many to draw, refuse the level).
// The level loader builds the level from the plan it returns and prints its findings as
// warnings; `Varnhold --check-map FILE` prints them and exits 1 when there are any.

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tmj
{
struct Map;
}

// What a level may hold. The shipped level has 1 base, 1 spawner, 12 waypoints and 23
// obstacles. Past a limit the extra objects are left out with one line (or, for waypoints, the
// level is refused, since a cut path leads nowhere); a property out of its range is clamped
// with one line.
namespace MapLimits
{
constexpr std::size_t MaxBases = 16;
// Each spawner sends its own waves; 300 of them once cost 1.4 s per frame.
constexpr std::size_t MaxSpawners = 64;
constexpr std::size_t MaxWaypoints = 1000;
// Obstacles are bodies that touch one another: 4096 stacked ones made 8 million contacts and
// 600 MB a frame.
constexpr std::size_t MaxObstacles = 256;
// "WaveSize": enemies per wave and per wave number. 0 starts a new wave every tick; 2^31 - 1
// once queued 12 GB of enemies.
constexpr std::int32_t MinWaveSize = 1;
constexpr std::int32_t MaxWaveSize = 10'000;
// "SpawnRate": seconds between a spawner's ticks, above 0 and at most a minute; a missing,
// zero or negative one becomes the shipped level's second.
constexpr float MaxSpawnRate = 60.f;
constexpr float FallbackSpawnRate = 1.f;
// "MiddleEnemy" and "HardEnemy": wave numbers from 1, the middle one not after the hard one.
// "Health" of the base, in whole hit points: single-precision damage stops at 2^24.
constexpr double MinBaseHealth = 1.;
constexpr double MaxBaseHealth = 10'000'000.;
// The level's tiles, a budget beside the map reader's caps (tiled/TiledMap.hpp: 1,000,000 cells
// per file): every drawn tile is a sprite the game holds (a 1000 x 1000 layer took 598 MB), so a
// level past either figure is refused. The shipped level has 1152 cells and 607 tiles.
constexpr std::uint64_t MaxLevelCells = 65'536; // in all tile layers the game reads, empty or not
constexpr std::uint64_t MaxTilesDrawn = 16'384; // cells with a tile of some tileset
// A tile's width and height in pixels (the shipped tiles are 40 x 40); a larger tile is refused.
constexpr int MaxTileSide = 1024;
// Lines of one kind of finding before the rest are counted in one more line.
constexpr std::size_t MaxLinesPerFinding = 10;
} // namespace MapLimits

// One object of the level as the game builds it, with its properties read and bounded.
struct LevelObject
{
    enum class Kind
    {
        Base,
        Waypoint,
        Spawner,
        Obstacle,
    };
    Kind kind = Kind::Obstacle;
    int id = 0;
    std::string name;
    int x = 0, y = 0, w = 0, h = 0; // the map rectangle in whole pixels

    std::string texture = "base";                   // base: texture key
    std::uint32_t health = 500;                     // base: hit points
    std::int32_t index = 0;                         // waypoint: place along the path
    std::int32_t waveSize = 10;                     // spawner
    std::int32_t middleEnemy = 3;                   // spawner: first wave with middle enemies
    std::int32_t hardEnemy = 6;                     // spawner: first wave with hard enemies
    float spawnRate = MapLimits::FallbackSpawnRate; // spawner: seconds between ticks

    // The centre of the map rectangle, where the game places the object.
    sf::Vector2f Centre() const;
};

struct LevelPlan
{
    // False when the map could not be read at all.
    bool parsed = true;
    // False when the level cannot make a game that ends: no base, no spawner, or no path into
    // the base. The game then shows the findings instead of the level.
    bool playable = true;
    // One line each, naming the file and the object (name or id, and position).
    std::vector<std::string> findings;
    // The findings that made the level unplayable, also among findings.
    std::vector<std::string> refusals;
    // Every recognised object in map order, those past a limit left out.
    std::vector<LevelObject> objects;
};

struct MapCheckContext
{
    std::string mapName; // how the lines name the map
    // The size of the picture under a texture key (the base's), or empty when no such key
    // exists; 0 x 0 for a key whose picture could not be read.
    std::function<std::optional<sf::Vector2u>(const std::string& key)> textureSize;
    // Tileset images are looked for beside the map, with sides up to this many pixels. The game
    // leaves them to the asset manager, which reports an image it cannot load.
    bool checkTilesetImages = true;
    unsigned maxTileSheetSide = 0;
};

// The plan of the parsed map; a map that failed to parse gives its message and no objects.
LevelPlan PlanLevel(const tmj::Map& map, const MapCheckContext& context);

// The command line's check: reads the map file, its tileset images and the base's picture from
// the map's folder (the game's pictures by the names of its asset table; a map in the levels
// folder finds them in the folder above), as the game would from its assets folder. No window
// is needed.
LevelPlan CheckMapFile(const std::filesystem::path& file);
// The same check of a map already read from file.
LevelPlan CheckMap(const tmj::Map& map, const std::filesystem::path& file);
