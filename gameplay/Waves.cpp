#include "gameplay/Waves.hpp"

#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/GameCounters.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

void EnemySpawnerComponent::OnNotify()
{
    if (!queue.empty())
    {
        // At the bound of living enemies the spawner waits for the next tick.
        auto& gameplay = GameplayManager::instance();
        if (gameplay.liveEnemies >= gameplay.liveEnemyBound)
        {
            if (!gameplay.enemyBoundSaid)
                std::cout << "Living enemies reached their bound of " << gameplay.liveEnemyBound
                          << ": the spawners wait until some die" << std::endl;
            gameplay.enemyBoundSaid = true;
            return;
        }
        ++gameplay.liveEnemies;
        const sf::Vector2f at = owner->getPosition();
        CreateEnemy(static_cast<std::int32_t>(queue.size()), queue.front(), wavesStarted, at.x, at.y);
        queue.pop_front();
        return;
    }

    // A game that waits for the player's Start begins no wave before it.
    if (wavesStarted == 0 && GameplayManager::instance().wavesHeld)
        return;
    if (wavesStarted == 0)
        std::srand(GameplayManager::instance().seedSource());
    wavesStarted += 1;
    // The counter shows the furthest wave any spawner has begun: spawners that keep pace with
    // each other begin each wave once between them, instead of multiplying the count.
    auto& counters = GameCounters::instance();
    if (wavesStarted > counters.wave)
        counters.BeginWave();
    PlanWave(wavesStarted);
}

std::optional<float> EnemySpawnerComponent::SecondsToNextWave() const
{
    const auto* timer = owner->FindComponent<TimerComponent>();
    if (!queue.empty() || !timer)
        return std::nullopt;
    return std::max(timer->remaining, 0.f);
}

void EnemySpawnerComponent::PlanWave(std::int32_t wave)
{
    const std::int64_t count = static_cast<std::int64_t>(waveSize) * wave;
    for (std::int64_t i = 0; i < count; ++i)
    {
        const bool last = i == count - 1;
        int kind = WeakEnemy;
        if (wave < middleStartWave)
        {
            kind = WeakEnemy;
        }
        else if (wave == middleStartWave && wave < hardStartWave)
        {
            kind = last ? MiddleEnemy : WeakEnemy;
        }
        else if (wave > middleStartWave && wave < hardStartWave)
        {
            kind = std::rand() % 20 < wave ? MiddleEnemy : WeakEnemy;
        }
        else if (wave == hardStartWave)
        {
            if (last)
                kind = HardEnemy;
            else
                kind = std::rand() % 20 < wave ? MiddleEnemy : WeakEnemy;
        }
        else
        {
            const int r = std::rand() % 40;
            kind = r < wave ? HardEnemy : (r < 2 * wave ? MiddleEnemy : WeakEnemy);
        }
        queue.push_back(kind);
    }
}

EnemyMovementComponent::EnemyMovementComponent(GameObject* owner) : Component(owner)
{
    for (const auto& waypoint : GameplayManager::instance().waypoints)
        path.push_back(waypoint->position);
}

void EnemyMovementComponent::Update(float dt)
{
    if (target >= static_cast<std::int32_t>(path.size()))
        return;
    const auto body = owner->GetComponent<RigidBodyComponent>();
    if (!body)
        return;
    const sf::Vector2f d = path[static_cast<std::size_t>(target)] - owner->getPosition();
    const float dist = std::sqrt(d.x * d.x + d.y * d.y);
    if (dist <= static_cast<float>(arrivalRadius))
    {
        ++target;
        body->velocity = {0.f, 0.f};
        return;
    }
    const sf::Vector2f u = dist != 0.f ? d / dist : d;
    owner->setRotation(HeadingDegrees(u));
    const auto status = owner->GetComponent<StatusComponent>();
    const float speed = status ? status->speed : 0.f;
    const sf::Vector2f step = u * speed * dt;
    sf::Vector2f v = body->velocity;
    const float length = std::sqrt(v.x * v.x + v.y * v.y);
    if (length <= speed)
        v += step;
    else
        v = v / length * (speed - 0.1f);
    body->velocity = v;
}
