#include "entities/MotionComponents.hpp"

#include "entities/GameObject.hpp"

#include <cmath>

float HeadingDegrees(sf::Vector2f direction)
{
    return static_cast<float>(2.0 * std::atan2(direction.y, direction.x + 1.f) * DegreesPerRadian);
}

void RigidBodyComponent::PhysicsUpdate(float dt)
{
    owner->move(velocity * dt);
}

ConstantMoveComponent::ConstantMoveComponent(GameObject* owner, float speed, sf::Vector2f target,
                                             sf::Vector2f aimOffset, bool destroyOnArrival)
    : Component(owner), target(target), speed(speed), destroyOnArrival(destroyOnArrival)
{
    HeadFor(target, aimOffset);
}

void ConstantMoveComponent::HeadFor(sf::Vector2f point, sf::Vector2f aimOffset)
{
    target = point;
    const sf::Vector2f d = (aimOffset + point) - owner->getPosition();
    const float length = std::sqrt(d.x * d.x + d.y * d.y);
    direction = length != 0.f ? d / length : d;
    velocity = direction * speed;
}

void ConstantMoveComponent::Update(float dt)
{
    if (const auto object = chased.lock(); object && object->alive)
        HeadFor(object->getPosition(), {});
    else
        chased.reset();
    owner->setRotation(HeadingDegrees(direction));
    owner->move(velocity * dt);
    if (destroyOnArrival)
    {
        const sf::Vector2f d = target - owner->getPosition();
        if (std::sqrt(d.x * d.x + d.y * d.y) < 2.f)
            owner->Destroy();
    }
}

void LifetimeComponent::Update(float dt)
{
    if (remaining >= 0.f)
        remaining -= dt;
    else
        owner->Destroy();
}

void TimerComponent::Update(float dt)
{
    if (remaining >= 0.f)
    {
        remaining -= dt;
    }
    else
    {
        Notify();
        remaining = interval;
    }
}
