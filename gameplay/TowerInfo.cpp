#include "gameplay/TowerInfo.hpp"

#include "entities/GameObject.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Targeting.hpp"

#include <algorithm>

namespace
{
float ShotsPerSecond(float fireInterval, std::size_t barrels)
{
    // The fire timer offers a shot every TimerInterval, and the spawner takes it once reloaded.
    const float period = std::max(TowerNumbers::TimerInterval, fireInterval);
    return period > 0.f ? static_cast<float>(barrels) / period : 0.f;
}

// The card's figures of a tower of the kind at the level with these numbers.
TowerFigures Figures(int kind, std::int32_t level, const TowerStats& stats, std::int32_t kills)
{
    TowerFigures figures;
    figures.kind = kind;
    figures.level = level;
    figures.damagePerHit = ShotDamage(stats.damage);
    figures.shotsPerSecond = ShotsPerSecond(stats.fireInterval, stats.barrels.size());
    figures.range = TowerNumbers::DetectionRadius;
    figures.kills = kills;
    return figures;
}

struct TowerParts
{
    const StatusComponent* status = nullptr;
    const UpgradeStateComponent* upgrade = nullptr;
    const SpawnerComponent* spawner = nullptr;
    TowerStats Stats() const { return {status->damage, status->fireInterval, spawner->barrelOffsets}; }
};

std::optional<TowerParts> PartsOf(const GameObject& tower)
{
    const TowerParts parts{tower.FindComponent<StatusComponent>(),
                           tower.FindComponent<UpgradeStateComponent>(),
                           tower.FindComponent<SpawnerComponent>()};
    if (tower.type != ObjectType::Tower || !parts.status || !parts.upgrade || !parts.spawner)
        return std::nullopt;
    return parts;
}
} // namespace

std::optional<TowerFigures> FiguresOf(const GameObject& tower)
{
    const auto parts = PartsOf(tower);
    if (!parts)
        return std::nullopt;
    return Figures(parts->upgrade->towerKind, parts->upgrade->level, parts->Stats(), parts->status->kills);
}

std::optional<TowerFigures> FiguresAfterUpgrade(const GameObject& tower)
{
    const auto parts = PartsOf(tower);
    const TowerUpgrade* step =
        parts ? NextUpgrade(parts->upgrade->towerKind, parts->upgrade->level) : nullptr;
    if (!step)
        return std::nullopt;
    // The very step the upgrade applies.
    return Figures(parts->upgrade->towerKind, parts->upgrade->level + 1, Upgraded(parts->Stats(), *step),
                   parts->status->kills);
}

std::optional<TowerFigures> FiguresOfKind(int kind)
{
    const TowerType* type = TowerTypeOf(kind);
    if (!type)
        return std::nullopt;
    return Figures(kind, 1, {TowerNumbers::Damage, TowerNumbers::FireInterval, type->barrels}, 0);
}

std::vector<std::int32_t> UpgradePricesOf(int kind)
{
    std::vector<std::int32_t> prices;
    UpgradeStateComponent upgrade(nullptr, 1, false, kind);
    for (; upgrade.level <= UpgradeLimit(kind); ++upgrade.level)
        prices.push_back(UpgradePrice(upgrade));
    return prices;
}

std::optional<EnemyFigures> EnemyFiguresOf(const GameObject& enemy)
{
    const auto* status = enemy.FindComponent<StatusComponent>();
    if (enemy.type != ObjectType::Enemy || !status || !EnemyTypeOf(status->enemyKind))
        return std::nullopt;
    EnemyFigures figures;
    figures.kind = status->enemyKind;
    figures.health = status->health;
    figures.maxHealth = status->maxHealth;
    figures.moneyReward = status->moneyReward;
    figures.scoreReward = status->scoreReward;
    // Both reports of the contact take their share (gameplay/Economy.hpp): the whole damage.
    figures.keepDamage = status->damage;
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
    if (UpgradePrice(*upgrade) > 0)
        figures.upgradeGain = KeepGrowth(status->health);
    return figures;
}
