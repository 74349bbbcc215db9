#pragma once
// Waves: a spawner plans each wave as a queue of enemy kinds and releases one enemy per timer
// tick; each enemy walks the waypoint path towards the base.

#include "entities/Component.hpp"
#include "gameplay/Tables.hpp"

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <list>
#include <optional>
#include <vector>

class EnemySpawnerComponent : public ObserverComponent
{
public:
    EnemySpawnerComponent(GameObject* owner, std::int32_t middleStartWave, std::int32_t hardStartWave,
                          std::int32_t waveSize)
        : ObserverComponent(owner), middleStartWave(middleStartWave), hardStartWave(hardStartWave),
          waveSize(waveSize)
    {
    }
    int GetType() const override { return ComponentType::Spawner; }
    // One enemy per tick; an empty queue starts the next wave instead.
    void OnNotify() override;
    // Fills the queue for wave number wave (counted from 1).
    void PlanWave(std::int32_t wave);
    // Once every enemy of the current wave has been released, the seconds until the next wave
    // begins (the spawner's next tick); nothing while enemies are still to come.
    std::optional<float> SecondsToNextWave() const;

    std::int32_t middleStartWave; // first wave with middle enemies
    std::int32_t hardStartWave;   // first wave with hard enemies
    std::int32_t wavesStarted = 0;
    std::int32_t waveSize;         // enemies per wave and per wave number
    std::list<std::int32_t> queue; // kinds still to release, front first
};

class EnemyMovementComponent : public Component
{
public:
    // Copies the waypoint path as it is now.
    explicit EnemyMovementComponent(GameObject* owner);
    int GetType() const override { return ComponentType::Move; }
    void Update(float dt) override;

    std::vector<sf::Vector2f> path;
    std::int32_t target = 0;        // waypoints reached so far
    std::int32_t arrivalRadius = 5; // pixels
};
