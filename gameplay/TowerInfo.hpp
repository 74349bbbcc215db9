#pragma once
// What a tower or the keep is and does, in the numbers a player reads on its card: the figures as
// they are now and as the next upgrade will make them. Everything is read from the object and
// worked out by the economy's own rules (gameplay/Economy), so the card never disagrees with the
// game.

#include <cstdint>
#include <optional>
#include <vector>

class GameObject;

struct TowerFigures
{
    int kind = 0; // 1..3
    std::int32_t level = 1;
    float damagePerHit = 0.f;   // hit points an enemy loses per shot that hits
    float shotsPerSecond = 0.f; // while an enemy is in reach
    float range = 0.f;          // pixels
    std::int32_t kills = 0;
};

struct KeepFigures
{
    std::int32_t level = 1;
    std::uint32_t health = 0, maxHealth = 0;
    std::uint32_t upgradeGain = 0; // hit points the next upgrade adds (0: fully upgraded)
};

// A tower's figures; nothing for an object that is not a tower.
std::optional<TowerFigures> FiguresOf(const GameObject& tower);
// The figures after the next upgrade; nothing when the tower is fully upgraded.
std::optional<TowerFigures> FiguresAfterUpgrade(const GameObject& tower);
std::optional<KeepFigures> KeepFiguresOf(const GameObject& keep);
// A new tower of the kind as the factory builds it (the card of a HUD tower button); nothing for
// any other kind.
std::optional<TowerFigures> FiguresOfKind(int kind);
// The price of each upgrade a tower of the kind can have, the first one's first.
std::vector<std::int32_t> UpgradePricesOf(int kind);

// What an enemy is, as its card shows it.
struct EnemyFigures
{
    int kind = 0; // 0..2
    std::uint32_t health = 0, maxHealth = 0;
    std::int32_t moneyReward = 0, scoreReward = 0;
    float keepDamage = 0.f; // hit points the keep loses when it gets there
};
std::optional<EnemyFigures> EnemyFiguresOf(const GameObject& enemy);
