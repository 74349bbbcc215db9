#pragma once
// A tower's three cooperating parts: detection keeps the enemies in range and turns the turret,
// the fire timer counts while there is a target, and the spawner fires when told and reloaded.

#include "entities/CollisionComponents.hpp"

#include <SFML/Graphics/CircleShape.hpp>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class SpriteRenderComponent;

// A set of objects by their slots (GameObject::slot), for a membership test that runs on every
// contact: one bit each, so that a tower's whole set stays in a few cache lines.
class ObjectSet
{
public:
    // Whether it was not there before.
    bool Insert(const GameObject& object);
    void Erase(const GameObject& object);
    void Clear();
    std::size_t Size() const { return count; }

private:
    std::vector<std::uint64_t> bits;
    std::size_t count = 0;
};

class AIDetectionComponent : public CollisionComponent
{
public:
    // Attaches a copy of range as a circle collider to the owner and registers it under
    // "TowerDetector"; that collider is what touches enemies.
    AIDetectionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody,
                         const sf::CircleShape& range, std::shared_ptr<SpriteRenderComponent> turret);

    void Update(float dt) override;
    void PhysicsUpdate(float dt) override;
    void DrawDebug(std::shared_ptr<sf::RenderWindow> window) override;

    // Appends an enemy unless it is listed already.
    void AddTarget(GameObject* enemy);
    // Turns the turret towards point by at most degreesPerSecond * dt, along the shorter arc.
    void RotateTowards(float dt, float degreesPerSecond, sf::Vector2f point);

    std::shared_ptr<SpriteRenderComponent> turret;
    sf::CircleShape range;
    // In order of arrival; the front is the current target. The handles keep a target's memory
    // valid until it has left the list.
    std::list<std::shared_ptr<GameObject>> targets;
    // The same objects as targets, for the membership test of AddTarget (run on every contact of
    // the detection circle).
    ObjectSet listed;
    int idleFrames = 100;
};

// Counts down while the tower has a target and notifies the spawner when the countdown ran out.
class AITimerComponent : public ObservableComponent
{
public:
    AITimerComponent(GameObject* owner, float interval, std::shared_ptr<AIDetectionComponent> detection)
        : ObservableComponent(owner), interval(interval), countdown(interval), detection(std::move(detection))
    {
    }
    int GetType() const override { return ComponentType::Timer; }
    void Update(float dt) override;

    float interval;  // seconds
    float countdown; // seconds
    std::shared_ptr<AIDetectionComponent> detection;
};

// Fires one projectile per barrel when notified, if its reload has passed.
class SpawnerComponent : public ObserverComponent
{
public:
    SpawnerComponent(GameObject* owner, std::shared_ptr<sf::Sprite> turretSprite,
                     std::shared_ptr<sf::Sprite> projectileSprite, std::vector<sf::Vector2f> barrelOffsets)
        : ObserverComponent(owner), turretSprite(std::move(turretSprite)),
          projectileSprite(std::move(projectileSprite)), barrelOffsets(std::move(barrelOffsets))
    {
    }
    int GetType() const override { return ComponentType::Spawner; }
    void Update(float dt) override;
    void OnNotify() override;
    void SetBarrelOffsets(std::vector<sf::Vector2f> offsets) { barrelOffsets = std::move(offsets); }
    void SetProjectileSprite(std::shared_ptr<sf::Sprite> sprite) { projectileSprite = std::move(sprite); }

    std::shared_ptr<sf::Sprite> turretSprite;     // the muzzle's position and rotation
    std::shared_ptr<sf::Sprite> projectileSprite; // shared by all this tower's projectiles
    std::vector<sf::Vector2f> barrelOffsets;      // pixels, in the turret's frame
    float reloadTime = 0.25f;                     // seconds
    bool ready = false;
};
