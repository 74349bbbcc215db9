#pragma once
// The game's two tables: the tower kinds and the enemy kinds, with every number and picture that
// belongs to a kind. The factories, the prices, the upgrades, the build preview and the HUD all
// read them here.

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The tower kinds, as the HUD's buttons, build requests and upgrade records number them.
enum TowerKind : int
{
    NoTower = 0, // no kind selected
    BulletTower = 1,
    SmallRocketTower = 2,
    BigRocketTower = 3,
};

// The enemy kinds, as a spawner's queue holds them.
enum EnemyKind : int
{
    WeakEnemy = 0,
    MiddleEnemy = 1,
    HardEnemy = 2,
};

// What one upgrade of a tower changes.
struct TowerUpgrade
{
    const char* turretTexture;
    bool moreDamage;                   // damage += damage x 0.25
    std::vector<sf::Vector2f> barrels; // empty: unchanged
    const char* projectileTexture;     // null: unchanged
};

struct TowerType
{
    TowerKind kind;
    const char* name;
    const char* turretTexture;
    const char* projectileTexture;
    const char* previewTexture;        // the build preview's tower shape
    std::int32_t price;                // gold
    std::int32_t upgradePrice;         // gold per current level
    std::vector<sf::Vector2f> barrels; // pixels, in the turret's frame: one shot each
    std::vector<TowerUpgrade>
        upgrades;     // from level 1, 2, 3: upgradable while its level is at most their number
    const char* icon; // the HUD button's picture when the price is not reached
    const char* iconAffordable;
};

// Numbers every tower kind shares.
namespace TowerNumbers
{
constexpr float DetectionRadius = 150.f;  // pixels
constexpr float FireInterval = 0.5f;      // seconds between shots of the spawner
constexpr float Damage = 100.f;           // handed to shots at HitShare (gameplay/Economy.hpp)
constexpr float Speed = 250.f;            // pixels per second; kept, not read
constexpr float TimerInterval = 0.5f;     // seconds between the fire timer's notifications
constexpr float UpgradeFireStep = 0.125f; // seconds off the fire interval per upgrade
} // namespace TowerNumbers

// Kinds 1 to 3; null for any other kind.
const TowerType* TowerTypeOf(int kind);

struct EnemyType
{
    EnemyKind kind;
    const char* name;
    const char* namePrefix; // the object's name is this and the spawner's queue count
    const char* texture;
    std::int64_t healthPerWave, healthBase; // hit points = perWave x wave + base
    float damage;                           // to the keep
    std::int32_t scoreReward, moneyReward;
};

// Numbers every enemy kind shares.
namespace EnemyNumbers
{
constexpr float Scale = 1.2f;
constexpr float Radius = 17.5f;       // pixels
constexpr float Speed = 100.f;        // pixels per second
constexpr float FireInterval = 0.25f; // seconds; kept, not read
} // namespace EnemyNumbers

// Kinds 0 to 2; null for any other kind.
const EnemyType* EnemyTypeOf(int kind);

// How hard a game is, chosen on the level select. Normal is the game as it has always been, number
// for number; Easy and Hard change only the numbers of their row in the difficulty table below.
enum class Difficulty : int
{
    Easy = 0,
    Normal = 1,
    Hard = 2,
};

// The difficulty table: one row per difficulty, beside the tower and enemy tables whose numbers
// it bends. The Normal row changes nothing.
struct DifficultyNumbers
{
    Difficulty difficulty;
    const char* name; // shown to the player: "Easy"
    const char* key;  // in the settings and the records file: "easy"
    std::int32_t startGold;
    std::int32_t enemyHealthPercent; // of the hit points the enemy table gives
    std::int32_t killGoldPercent;    // of the gold the enemy table gives for a kill
    float spawnPauseFactor;          // times each spawner's "SpawnRate", the pause between two enemies
    std::int32_t middleWaveShift;    // added to each spawner's "MiddleEnemy" (its first middle wave)
    std::int32_t hardWaveShift;      // added to each spawner's "HardEnemy"
    bool waitsForStart;              // the first wave waits for the Start button (N)
};

constexpr Difficulty Difficulties[] = {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard};
const DifficultyNumbers& DifficultyOf(Difficulty difficulty);
// The difficulty of a key ("easy", "normal", "hard"); empty for any other text.
std::optional<Difficulty> DifficultyNamed(const std::string& key);
// An enemy's hit points on a difficulty: the table's share of what the enemy table gives.
std::uint32_t EnemyHealth(const EnemyType& type, std::int32_t wave, Difficulty difficulty);
// The gold a kill brings on a difficulty: the table's share of the enemy table's reward.
std::int32_t KillGold(const EnemyType& type, Difficulty difficulty);
