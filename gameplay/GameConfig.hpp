#pragma once
// The economy's fixed numbers and the operations that spend money on towers and upgrades. The
// numbers come from the tower table and the keep's numbers; the rules are gameplay/Economy's.

#include "gameplay/Economy.hpp"

#include <cstdint>
#include <memory>

class GameObject;
class UpgradeStateComponent;

// What an upgrade request came to.
enum class UpgradeResult
{
    Upgraded,
    NotReady,      // in the short lock after the last upgrade
    FullyUpgraded, // no upgrade is left (or the kind has none)
    NotEnoughGold,
    NotUpgradable, // not a tower or the keep
};
// The words a refused request shows at the pointer; null when it says nothing.
const char* RefusalText(UpgradeResult result);

class GameConfig
{
public:
    static GameConfig& instance();

    // Back to the compiled-in numbers, building allowed.
    void Reset() { *this = GameConfig(); }
    // Builds when allowed, the kind is 1..3 and the money reaches its price.
    void tryBuildTower(int kind, float x, float y);
    // Pays a tower's price (kinds 1..3) and clears the cursor's selection (any kind).
    void payForTower(int kind);
    // Plays the build sound and creates the tower centred on (x, y).
    void BuildTower(int kind, float x, float y);
    // Upgrades a ready tower or base whose level is within its limit and whose price is paid.
    UpgradeResult tryUpgrade(GameObject& object);
    // Removes a tower and gives back half of what was spent on it (SellRefund), with the sell
    // sound; false, and nothing changes, for anything but a living tower.
    bool SellTower(GameObject& tower);
    void payForUpgrade(UpgradeStateComponent& upgrade);
    // The next upgrade step (Upgraded) for a tower, KeepGrowth and a new picture for the keep.
    void applyUpgrade(GameObject& object);

    bool buildAllowed = true; // the cursor is over free ground this frame
    // The prices as the tower table and the keep's numbers give them.
    std::int32_t bulletTowerPrice = TowerPrice(BulletTower);
    std::int32_t bulletTowerUpgradeLimit = UpgradeLimit(BulletTower);
    std::int32_t bulletTowerUpgradePrice = TowerTypeOf(BulletTower)->upgradePrice; // per current level
    std::int32_t smallRocketTowerPrice = TowerPrice(SmallRocketTower);
    std::int32_t smallRocketTowerUpgradeLimit = UpgradeLimit(SmallRocketTower);
    std::int32_t smallRocketTowerUpgradePrice =
        TowerTypeOf(SmallRocketTower)->upgradePrice; // per current level
    std::int32_t bigRocketTowerPrice = TowerPrice(BigRocketTower);
    std::int32_t baseUpgradeLimit = KeepNumbers::UpgradeLimit;
    std::int32_t baseUpgradePrice = KeepNumbers::UpgradePrice; // per current level
    std::int32_t repairAmount = KeepNumbers::RepairAmount;     // hit points
    std::int32_t repairPrice = KeepNumbers::RepairPrice;

private:
    GameConfig() = default;
};
