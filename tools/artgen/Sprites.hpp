#pragma once

// One function per game picture. Turrets, projectiles and enemies point along +x; the map's static
// pictures (base, platform) are lit from the top left and cast their shadow to the bottom right.

#include "tools/artgen/Raster.hpp"

namespace artgen
{

Layer TowerPlatform(bool withShadow = true);
// kind 1: level 1..4 (base and three upgrades).
Layer BulletTurret(int level);
// kind 2: level 0 = empty rails, 1..4 loaded (base and three upgrades).
Layer SmallRocketTurret(int level);
// kind 3: empty or loaded launcher.
Layer BigRocketTurret(bool loaded);
// A translucent, pale copy used for the build preview.
Layer PreviewShape(const Layer& picture);

Layer Bullet();
Layer SmallRocket(bool upgraded);
Layer BigRocket();
Layer ShotTrail();

Layer WeakEnemy();
Layer MiddleEnemy();
Layer HardEnemy();
Layer SpareEnemy();

// stage 1..3: 96, 112 and 128 pixels.
Layer Base(int stage);
Layer WaypointMarker();

// The game's own icon (desktop menu, window), size x size pixels: the keep on a shield of grass.
Layer AppIcon(int size);

// HUD buttons: the bright icon when the player can afford it, else a dim grey one.
Layer BulletTowerIcon(bool active);
Layer SmallRocketTowerIcon(bool active);
Layer BigRocketTowerIcon(bool active);
Layer RepairIcon(bool active);

} // namespace artgen
