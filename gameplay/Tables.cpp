#include "gameplay/Tables.hpp"

namespace
{
const TowerType towerTypes[] = {
    {BulletTower,
     "Bullet tower",
     "tower1base",
     "projectile",
     "tower1shape",
     50,
     75,
     {{0.f, 0.f}},
     {
         {"tower1upgrade1", true, {{0.f, 0.f}}, nullptr},
         {"tower1upgrade2", false, {{0.f, -5.f}, {0.f, 5.f}}, nullptr},
         {"tower1upgrade3", true, {{0.f, -5.f}, {0.f, 5.f}}, nullptr},
     },
     "hud_icon_bullet_tower.png",
     "hud_icon_bullet_tower_active.png"},
    {SmallRocketTower,
     "Small rocket tower",
     "tower2baseLoaded",
     "rocketSmallBase",
     "tower2shape",
     150,
     100,
     {{0.f, -5.f}, {0.f, 5.f}},
     {
         {"tower2upgrade1Loaded", false, {}, "rocketSmallUpgrade1"},
         {"tower2upgrade2Loaded", true, {}, "rocketSmallBase"},
         {"tower2upgrade3Loaded", false, {}, "rocketSmallUpgrade1"},
     },
     "hud_icon_rocket_tower_small.png",
     "hud_icon_rocket_tower_small_active.png"},
    {BigRocketTower,
     "Big rocket tower",
     "tower3loaded",
     "rocketBig",
     "tower3shape",
     300,
     0,
     {{0.f, 0.f}},
     {}, // never upgraded
     "hud_icon_rocket_tower_big.png",
     "hud_icon_rocket_tower_big_active.png"},
};

const EnemyType enemyTypes[] = {
    {WeakEnemy, "Weak", "WeakEnemy_", "enemy_1", 100, 200, 20.f, 10, 5},
    {MiddleEnemy, "Middle", "MiddleEnemy_", "enemy_2", 150, 400, 40.f, 50, 15},
    {HardEnemy, "Hard", "HardEnemy_", "enemy_3", 250, 600, 60.f, 100, 25},
};

// Easy gives a new player time and gold to learn the bends of the road; Hard is for a player who
// knows them. Measured with the scripted player (README, "Levels and difficulty").
const DifficultyNumbers difficulties[] = {
    {Difficulty::Easy, "Easy", "easy", 300, 70, 100, 1.25f, 2, 3, true},
    {Difficulty::Normal, "Normal", "normal", 150, 100, 100, 1.f, 0, 0, false},
    {Difficulty::Hard, "Hard", "hard", 300, 115, 45, 1.f, -1, -1, false},
};
} // namespace

const TowerType* TowerTypeOf(int kind)
{
    return kind >= BulletTower && kind <= BigRocketTower ? &towerTypes[kind - BulletTower] : nullptr;
}

const EnemyType* EnemyTypeOf(int kind)
{
    return kind >= WeakEnemy && kind <= HardEnemy ? &enemyTypes[kind] : nullptr;
}

const DifficultyNumbers& DifficultyOf(Difficulty difficulty)
{
    const auto index = static_cast<int>(difficulty);
    return difficulties[index >= 0 && index <= 2 ? index : static_cast<int>(Difficulty::Normal)];
}

std::optional<Difficulty> DifficultyNamed(const std::string& key)
{
    for (const auto& row : difficulties)
        if (key == row.key)
            return row.difficulty;
    return std::nullopt;
}

std::uint32_t EnemyHealth(const EnemyType& type, std::int32_t wave, Difficulty difficulty)
{
    const std::int64_t health = type.healthPerWave * wave + type.healthBase;
    return static_cast<std::uint32_t>(health * DifficultyOf(difficulty).enemyHealthPercent / 100);
}

std::int32_t KillGold(const EnemyType& type, Difficulty difficulty)
{
    return type.moneyReward * DifficultyOf(difficulty).killGoldPercent / 100;
}
