#pragma once
// The economy in one place: what towers and their upgrades cost (read from the tower table), what
// one upgrade step changes, what selling gives back, how the keep grows, and how much of a shot a
// hit takes. GameConfig spends by these rules and the tower card reads them, so the card shows
// what the game then does.

#include "gameplay/Tables.hpp"

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <vector>

class GameObject;
class UpgradeStateComponent;

// Damage moves in halves: a tower hands each shot this share of its damage, and each contact is
// reported once from each of its two colliders, each report taking this share of the amount; so
// a hit takes what the shot carries, and an enemy reaching the keep takes its damage.
constexpr float HitShare = 0.5f;
// What each shot of a tower of this damage carries: what one hit takes from an enemy.
float ShotDamage(float towerDamage);

// The keep's numbers beside the tower table.
namespace KeepNumbers
{
constexpr std::int32_t UpgradeLimit = 2;   // upgradable while its level is at most this
constexpr std::int32_t UpgradePrice = 150; // gold per current level
constexpr std::int32_t RepairAmount = 50;  // hit points
constexpr std::int32_t RepairPrice = 100;  // gold
} // namespace KeepNumbers

// A tower kind's price; 0 for anything but kinds 1..3.
std::int32_t TowerPrice(int kind);
// How many upgrades a tower kind has (it may be upgraded while its level is at most this).
std::int32_t UpgradeLimit(int kind);
// The price of the next upgrade of a tower or the keep (the kind's price per current level), or 0
// when none is left.
std::int32_t UpgradePrice(const UpgradeStateComponent& upgrade);
// Gold paid for a tower: its price and every upgrade it has had.
std::int32_t SpentOn(const GameObject& tower);
// What selling a tower gives back: half of what was spent on it, rounded down.
std::int32_t SellRefund(const GameObject& tower);
// Hit points an upgrade of the keep adds to its current and to its full health: half its current
// health, rounded down.
std::uint32_t KeepGrowth(std::uint32_t health);

// The numbers of a tower that its upgrades change.
struct TowerStats
{
    float damage = 0.f;                // handed to shots at HitShare
    float fireInterval = 0.f;          // seconds
    std::vector<sf::Vector2f> barrels; // one shot each
};
// The upgrade a tower of the kind gets from its level (1..), or null when none is left.
const TowerUpgrade* NextUpgrade(int kind, std::int32_t level);
// One upgrade step: the game applies it to the tower, the card shows its outcome beforehand.
TowerStats Upgraded(TowerStats stats, const TowerUpgrade& step);
