#pragma once
// The gameplay numbers of an object: hit points, damage, speed, rewards.

#include "entities/Component.hpp"
#include "entities/GameObject.hpp"

#include <cstdint>
#include <memory>

class StatusComponent : public Component, public HealthSource
{
public:
    explicit StatusComponent(GameObject* owner) : Component(owner) {}
    int GetType() const override { return ComponentType::Status; }
    std::uint32_t CurrentHealth() const override { return health; }
    std::uint32_t FullHealth() const override { return maxHealth; }

    // Takes amount hit points (truncated towards zero); at zero the owner is destroyed
    // and, for an enemy, its rewards are paid. A dead owner takes nothing.
    void TakeDamage(float amount);

    std::uint32_t health = 0;    // hit points
    std::uint32_t maxHealth = 0; // hit points
    float fireInterval = 0.f;    // seconds between shots (towers)
    float damage = 0.f;          // per hit (projectiles), to the base (enemies), handed to shots (towers)
    float speed = 0.f;           // pixels per second
    std::int32_t scoreReward = 0;
    std::int32_t moneyReward = 0;
    std::int32_t kills = 0;            // towers: enemies their shots have killed
    std::int32_t enemyKind = 0;        // enemies: weak, middle or hard (for the statistics)
    std::weak_ptr<GameObject> firedBy; // projectiles: the tower that fired them
};

// A tower's or the base's upgrade level and the short lock after each upgrade.
class UpgradeStateComponent : public Component
{
public:
    UpgradeStateComponent(GameObject* owner, int level, bool isBase, int towerKind)
        : Component(owner), level(level), isBase(isBase), towerKind(towerKind)
    {
    }
    int GetType() const override { return ComponentType::UpgradeState; }
    // Counts the lock down; a locked object is ready again once the countdown went negative.
    void Update(float dt) override;

    std::int32_t level = 1;
    bool isBase = false;
    std::int32_t towerKind = 0; // 1..3; not consulted for the base
    float cooldown = 0.5f;      // seconds
    bool ready = true;
};
