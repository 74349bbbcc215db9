#pragma once
// Builds the level from a Tiled map: one tile-map object drawing every tile layer, and one game
// object per recognised map object ("Base", "Waypoint", "Spawner", "Obstacle").

#include <SFML/System/Vector2.hpp>

#include <filesystem>
#include <memory>

namespace tmj
{
struct Map;
struct Object;
} // namespace tmj

void CreateCamera(sf::Vector2f moveOffset);
// Tiles are shifted by placement; map objects are not. A map that fails to parse prints
// "Parse error: " and the reader's message on standard output and leaves an empty level.
void LoadMap(const std::filesystem::path& file, sf::Vector2f placement);
void CreateMapObjects(const std::shared_ptr<tmj::Map>& map);
void CreateBase(const tmj::Object& object);
void CreateWaypoint(const tmj::Object& object);
void CreateSpawner(const tmj::Object& object);
void CreateObstacle(const tmj::Object& object);
