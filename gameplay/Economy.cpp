#include "gameplay/Economy.hpp"

#include "entities/GameObject.hpp"
#include "gameplay/StatusComponent.hpp"

namespace
{
constexpr float UpgradeDamageShare = 0.25f; // an upgrade with more damage adds this share
} // namespace

float ShotDamage(float towerDamage)
{
    return towerDamage * HitShare;
}

std::int32_t TowerPrice(int kind)
{
    const TowerType* type = TowerTypeOf(kind);
    return type ? type->price : 0;
}

std::int32_t UpgradeLimit(int kind)
{
    const TowerType* type = TowerTypeOf(kind);
    return type ? static_cast<std::int32_t>(type->upgrades.size()) : 0;
}

std::int32_t UpgradePrice(const UpgradeStateComponent& upgrade)
{
    const std::int32_t level = upgrade.level;
    if (upgrade.isBase)
        return level <= KeepNumbers::UpgradeLimit ? KeepNumbers::UpgradePrice * level : 0;
    const TowerType* type = TowerTypeOf(upgrade.towerKind);
    return type && level <= UpgradeLimit(upgrade.towerKind) ? type->upgradePrice * level : 0;
}

std::int32_t SpentOn(const GameObject& tower)
{
    const auto* upgrade = tower.FindComponent<UpgradeStateComponent>();
    if (tower.type != ObjectType::Tower || !upgrade)
        return 0;
    std::int32_t spent = TowerPrice(upgrade->towerKind);
    // The upgrade from each earlier level, at that level's price.
    UpgradeStateComponent earlier(nullptr, 1, false, upgrade->towerKind);
    for (; earlier.level < upgrade->level; ++earlier.level)
        spent += UpgradePrice(earlier);
    return spent;
}

std::int32_t SellRefund(const GameObject& tower)
{
    return SpentOn(tower) / 2;
}

std::uint32_t KeepGrowth(std::uint32_t health)
{
    return health / 2;
}

const TowerUpgrade* NextUpgrade(int kind, std::int32_t level)
{
    const TowerType* type = TowerTypeOf(kind);
    if (!type || level < 1 || level > UpgradeLimit(kind))
        return nullptr;
    return &type->upgrades[static_cast<std::size_t>(level - 1)];
}

TowerStats Upgraded(TowerStats stats, const TowerUpgrade& step)
{
    if (step.moreDamage)
        stats.damage += stats.damage * UpgradeDamageShare;
    stats.fireInterval -= TowerNumbers::UpgradeFireStep;
    if (!step.barrels.empty())
        stats.barrels = step.barrels;
    return stats;
}
