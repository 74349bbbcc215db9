#pragma once
// Builds the level from a Tiled map: one tile-map object drawing every tile layer, and one game
// object per recognised map object ("Base", "Waypoint", "Spawner", "Obstacle"), as the map
// checker plans them.

#include "gameplay/MapChecker.hpp"

#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>

#include <filesystem>
#include <memory>

// The camera object, looking through a copy of view.
void CreateCamera(const sf::View& view, sf::Vector2f moveOffset);
// Tiles are shifted by placement; map objects are not. A map that fails to parse prints
// "Parse error: " and the reader's message on standard output and leaves an empty level;
// otherwise each finding of the map checker is printed there as a warning, one line each, and
// the level is built as planned (properties bounded, objects past a limit left out). Returns
// the plan, whose playable flag says whether the level can make a game that ends.
LevelPlan LoadMap(const std::filesystem::path& file, sf::Vector2f placement);
// The plan's objects in map order; the path is sorted once at the end.
void CreateMapObjects(const LevelPlan& plan);
void CreateBase(const LevelObject& object);
void CreateWaypoint(const LevelObject& object);
void CreateSpawner(const LevelObject& object);
void CreateObstacle(const LevelObject& object);
