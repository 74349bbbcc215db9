#pragma once
// The economy's fixed numbers and the operations that spend money on towers and upgrades.

#include "gameplay/Tables.hpp"

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
    void applyUpgrade(GameObject& object);
    // The price of the next upgrade, or 0 when none is possible.
    std::int32_t UpgradePrice(const UpgradeStateComponent& upgrade) const;
    std::int32_t TowerPrice(int kind) const;

    bool buildAllowed = true; // the cursor is over free ground this frame
    // The towers' prices as the tower table gives them.
    std::int32_t bulletTowerPrice = TowerTypeOf(BulletTower)->price;
    std::int32_t bulletTowerUpgradeLimit = TowerTypeOf(BulletTower)->upgradeLimit;
    std::int32_t bulletTowerUpgradePrice = TowerTypeOf(BulletTower)->upgradePrice; // per current level
    std::int32_t smallRocketTowerPrice = TowerTypeOf(SmallRocketTower)->price;
    std::int32_t smallRocketTowerUpgradeLimit = TowerTypeOf(SmallRocketTower)->upgradeLimit;
    std::int32_t smallRocketTowerUpgradePrice =
        TowerTypeOf(SmallRocketTower)->upgradePrice; // per current level
    std::int32_t bigRocketTowerPrice = TowerTypeOf(BigRocketTower)->price;
    std::int32_t baseUpgradeLimit = 2;
    std::int32_t baseUpgradePrice = 150; // per current level
    std::int32_t repairAmount = 50;      // hit points
    std::int32_t repairPrice = 100;

private:
    GameConfig() = default;
};
