#pragma once
// Small components that move objects, end their lives and count time.

#include "entities/Component.hpp"

#include <SFML/System/Vector2.hpp>

// Degrees per radian, as the heading formulas use it.
constexpr double DegreesPerRadian = 57.29577951308232;

// The heading of a direction in degrees, as 2 * atan2(y, x + 1): equal to atan2(y, x) for a
// unit vector, and 0 for exactly (-1, 0).
float HeadingDegrees(sf::Vector2f direction);

// A velocity, applied by the physics step after contacts are handled.
class RigidBodyComponent : public Component
{
public:
    explicit RigidBodyComponent(GameObject* owner) : Component(owner) {}
    int GetType() const override { return ComponentType::RigidBody; }
    // Moves the owner by velocity * dt.
    void PhysicsUpdate(float dt) override;

    sf::Vector2f velocity; // pixels per second
    float mass = 1.f;      // two bodies of mass 0 are never tested against each other
};

// Flight at a constant speed towards a point (projectiles). With an object to chase, the flight
// keeps heading for that object's current position while it lives, then goes straight on.
class ConstantMoveComponent : public Component
{
public:
    // The aim offset bends the direction only; arrival is measured against target.
    ConstantMoveComponent(GameObject* owner, float speed, sf::Vector2f target, sf::Vector2f aimOffset,
                          bool destroyOnArrival);
    int GetType() const override { return ComponentType::Move; }
    void Update(float dt) override;
    // A shot at a walking enemy: aimed only where the enemy stood, it passes behind it.
    void Chase(const std::shared_ptr<GameObject>& object) { chased = object; }

    sf::Vector2f velocity; // pixels per second
    sf::Vector2f target;
    sf::Vector2f direction; // unit vector, or zero
    float speed;            // pixels per second
    bool destroyOnArrival;

private:
    void HeadFor(sf::Vector2f point, sf::Vector2f aimOffset);
    // Not kept alive by the chase: once it is gone or dead, the flight goes straight on.
    std::weak_ptr<GameObject> chased;
};

// Destroys its owner on the first frame after the remaining time went below zero.
class LifetimeComponent : public Component
{
public:
    LifetimeComponent(GameObject* owner, float lifetime)
        : Component(owner), lifetime(lifetime), remaining(lifetime)
    {
    }
    int GetType() const override { return ComponentType::Lifetime; }
    void Update(float dt) override;

    float lifetime;  // seconds
    float remaining; // seconds
};

// Notifies its observers on the first frame after its countdown went below zero, then starts
// again from the full interval (the overshoot is not carried over).
class TimerComponent : public ObservableComponent
{
public:
    TimerComponent(GameObject* owner, float interval)
        : ObservableComponent(owner), interval(interval), remaining(interval)
    {
    }
    int GetType() const override { return ComponentType::Timer; }
    void Update(float dt) override;

    float interval;  // seconds
    float remaining; // seconds
};
