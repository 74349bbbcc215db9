#include "gameplay/TowerInfo.hpp"

#include "entities/GameObject.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Targeting.hpp"

#include <algorithm>

namespace
{
// A shot carries half the tower's damage, and a hit takes all of it: the contact is reported to
// both colliders and each report takes half.
constexpr float HitShare = 0.5f;

float ShotsPerSecond(float fireInterval, std::size_t barrels)
{
    // The fire timer offers a shot every TimerInterval, and the spawner takes it once reloaded.
    const float period = std::max(TowerNumbers::TimerInterval, fireInterval);
    return period > 0.f ? static_cast<float>(barrels) / period : 0.f;
}
} // namespace

std::optional<TowerFigures> FiguresOf(const GameObject& tower)
{
    const auto* status = tower.FindComponent<StatusComponent>();
    const auto* upgrade = tower.FindComponent<UpgradeStateComponent>();
    const auto* spawner = tower.FindComponent<SpawnerComponent>();
    if (tower.type != ObjectType::Tower || !status || !upgrade || !spawner)
        return std::nullopt;
    TowerFigures figures;
    figures.kind = upgrade->towerKind;
    figures.level = upgrade->level;
    figures.damagePerHit = status->damage * HitShare;
    figures.shotsPerSecond = ShotsPerSecond(status->fireInterval, spawner->barrelOffsets.size());
    figures.range = TowerNumbers::DetectionRadius;
    figures.kills = status->kills;
    return figures;
}

std::optional<TowerFigures> FiguresAfterUpgrade(const GameObject& tower)
{
    auto figures = FiguresOf(tower);
    const TowerType* type = figures ? TowerTypeOf(figures->kind) : nullptr;
    const auto* upgrade = tower.FindComponent<UpgradeStateComponent>();
    if (!type || !upgrade || GameConfig::instance().UpgradePrice(*upgrade) <= 0 ||
        figures->level > static_cast<std::int32_t>(type->upgrades.size()))
        return std::nullopt;
    // The same changes the upgrade itself makes.
    const TowerUpgrade& step = type->upgrades[static_cast<std::size_t>(figures->level - 1)];
    const auto* status = tower.FindComponent<StatusComponent>();
    const auto* spawner = tower.FindComponent<SpawnerComponent>();
    float damage = status->damage;
    if (step.moreDamage)
        damage += damage * 0.25f;
    const std::size_t barrels = step.barrels.empty() ? spawner->barrelOffsets.size() : step.barrels.size();
    figures->level += 1;
    figures->damagePerHit = damage * HitShare;
    figures->shotsPerSecond = ShotsPerSecond(status->fireInterval - TowerNumbers::UpgradeFireStep, barrels);
    return figures;
}

std::optional<KeepFigures> KeepFiguresOf(const GameObject& keep)
{
    const auto* status = keep.FindComponent<StatusComponent>();
    const auto* upgrade = keep.FindComponent<UpgradeStateComponent>();
    if (keep.type != ObjectType::Base || !status || !upgrade)
        return std::nullopt;
    KeepFigures figures;
    figures.level = upgrade->level;
    figures.health = status->health;
    figures.maxHealth = status->maxHealth;
    if (GameConfig::instance().UpgradePrice(*upgrade) > 0)
        figures.upgradeGain = status->health / 2;
    return figures;
}

std::int32_t SpentOn(const GameObject& tower)
{
    const auto* upgrade = tower.FindComponent<UpgradeStateComponent>();
    if (tower.type != ObjectType::Tower || !upgrade)
        return 0;
    const auto& config = GameConfig::instance();
    std::int32_t spent = config.TowerPrice(upgrade->towerKind);
    // The upgrade from level n cost the kind's upgrade price times n.
    UpgradeStateComponent earlier(nullptr, 1, false, upgrade->towerKind);
    for (; earlier.level < upgrade->level; ++earlier.level)
        spent += config.UpgradePrice(earlier);
    return spent;
}

std::int32_t SellRefund(const GameObject& tower)
{
    return SpentOn(tower) / 2;
}
