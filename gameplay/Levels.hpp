#pragma once
// The levels a player can choose: the first level (the game's own map, "game.tmj"), then every
// map of the levels folders, each read and checked as the game would play it, with its name, what
// it asks of the player and a picture drawn from its map.

#include "gameplay/MapChecker.hpp"

#include <SFML/System/Vector2.hpp>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sf
{
class Texture;
}

// A level as the game knows it: where its map is, the key the settings and the records file know
// it by, and the name the player sees.
struct LevelId
{
    std::string key;  // "game.tmj" for the first level; else the map's file name
    std::string file; // the map's path
    std::string name; // the map's string property "Name", else the file name without ".tmj"
};

// The first level: the game's own map, the level of the game as it has always been. Its map
// carries no name, so the name is given here.
LevelId FirstLevel();
inline constexpr const char* FirstLevelKey = "game.tmj";

// The folders whose maps are listed after the first level, in this order: the game's own
// "levels" folder, then the "levels" folder in the player's data folder when the game saves
// there (an installed game: $XDG_DATA_HOME/varnhold/levels/).
std::vector<std::filesystem::path> LevelFolders();

// A folder with thousands of maps must not stall the level select: past this many levels the
// rest are left out, with one line on standard output.
constexpr std::size_t MaxListedLevels = 60;

struct LevelEntry
{
    LevelId id;
    // The check's findings, as `Varnhold --check-map` prints them; a level whose plan is not
    // playable cannot be started.
    LevelPlan plan;
    int spawners = 0;
    float roadLength = 0.f; // pixels, from the farthest spawner along the path to its end
    int tileSize = 0;       // pixels of one map tile (0: the map could not be read)
    // Drawn from the map (its tiles, spawners and keep); null unless asked for.
    std::shared_ptr<sf::Texture> picture;
};

// The first level, then each folder's ".tmj" files by name. A key found again in a later folder
// is left out (the first one is played).
std::vector<LevelEntry> ListLevels(bool withPictures, sf::Vector2u pictureSize = {256, 144});
// Reads and checks one level, and draws its picture when asked.
LevelEntry ReadLevel(const LevelId& id, bool withPicture, sf::Vector2u pictureSize = {256, 144});
// The level listed under key (its name read from its map); the first level when none is.
LevelId FindLevel(const std::string& key);
