#include "gameplay/StatusComponent.hpp"

#include "entities/GameObject.hpp"
#include "services/GameCounters.hpp"

void StatusComponent::TakeDamage(float amount)
{
    if (!owner->alive)
        return;
    // In double precision: a float holds whole hit points only up to 2^24, so a keep of 10^9
    // once took no damage at all, and one of 2^32 - 1 wrapped to 0 on its first hit.
    const auto value = static_cast<std::int64_t>(static_cast<double>(health) - static_cast<double>(amount));
    if (value > 0)
    {
        health = static_cast<std::uint32_t>(value);
        return;
    }
    health = 0;
    owner->Destroy();
    if (owner->type == ObjectType::Enemy)
    {
        GameCounters::instance().ChangeMoney(moneyReward);
        GameCounters::instance().ChangeScore(scoreReward);
        GameCounters::instance().CountKill(enemyKind);
    }
}

void UpgradeStateComponent::Update(float dt)
{
    if (ready)
        return;
    if (cooldown >= 0.f)
    {
        cooldown -= dt;
    }
    else
    {
        cooldown = 0.5f;
        ready = true;
    }
}
