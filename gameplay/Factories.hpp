#pragma once
// Assemble the cursor, projectiles, towers and enemies from components and register them.

#include <SFML/Graphics/Sprite.hpp>

#include <cstdint>
#include <memory>

class GameObject;

void CreatePlayerCursor();
// A projectile at the shooter's position, heading for the shooter's current target.
std::shared_ptr<GameObject> CreateProjectile(std::shared_ptr<sf::Sprite> sprite, GameObject* shooter,
                                             float damage, sf::Vector2f offset);
void CreateBulletTower(float x, float y);
void CreateSmallRocketTower(float x, float y);
void CreateBigRocketTower(float x, float y);
// Kinds 1..3; other kinds build nothing.
void CreateTower(int kind, float x, float y);
// kind 0 weak, 1 middle, 2 hard; queueCount names it ("WeakEnemy_7").
void CreateEnemy(std::int32_t queueCount, int kind, std::int32_t wave, float x, float y);
