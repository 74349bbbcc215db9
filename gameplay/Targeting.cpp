#include "gameplay/Targeting.hpp"

#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/SoundManager.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
constexpr double Pi = 3.141592653589793;
} // namespace

bool ObjectSet::Insert(const GameObject& object)
{
    const std::size_t word = object.slot / 64;
    const std::uint64_t bit = std::uint64_t{1} << (object.slot % 64);
    if (word >= bits.size())
        bits.resize(word + 1, 0);
    if ((bits[word] & bit) != 0)
        return false;
    bits[word] |= bit;
    ++count;
    return true;
}

void ObjectSet::Erase(const GameObject& object)
{
    const std::size_t word = object.slot / 64;
    const std::uint64_t bit = std::uint64_t{1} << (object.slot % 64);
    if (word < bits.size() && (bits[word] & bit) != 0)
    {
        bits[word] &= ~bit;
        --count;
    }
}

void ObjectSet::Clear()
{
    std::fill(bits.begin(), bits.end(), 0);
    count = 0;
}

AIDetectionComponent::AIDetectionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody,
                                           const sf::CircleShape& range,
                                           std::shared_ptr<SpriteRenderComponent> turret)
    : CollisionComponent(owner, rigidBody), turret(std::move(turret)), range(range)
{
    auto detector = std::make_shared<CircleCollisionComponent>(owner, std::move(rigidBody), range);
    owner->AddComponent(detector);
    PhysicsManager::instance().AddCollider(detector, "TowerDetector");
}

void AIDetectionComponent::AddTarget(GameObject* enemy)
{
    // The list may have been edited from outside (tests clear it): then the set follows it again.
    if (listed.Size() != targets.size())
    {
        listed.Clear();
        for (const auto& target : targets)
            listed.Insert(*target);
    }
    if (listed.Insert(*enemy))
        targets.push_back(enemy->shared_from_this());
}

void AIDetectionComponent::Update(float dt)
{
    if (!owner->alive)
        return;
    const sf::Vector2f turretPosition = turret->sprite->getPosition();
    if (!targets.empty())
    {
        // The front stays the aim of this frame even when it leaves the list now.
        const std::shared_ptr<GameObject> target = targets.front();
        const sf::Vector2f d = target->getPosition() - turretPosition;
        const float q = d.x * d.x + d.y * d.y;
        const auto* circle = target->FindComponent<CircleCollisionComponent>();
        const float reach = range.getRadius() + (circle ? circle->shape.getRadius() : 0.f);
        if (q > reach * reach || !target->alive)
        {
            listed.Erase(*target);
            targets.pop_front();
        }
        const float dist = std::sqrt(q);
        const sf::Vector2f u = dist != 0.f ? d / dist : d;
        turret->sprite->setRotation(HeadingDegrees(u));
        idleFrames = 100;
        return;
    }
    --idleFrames;
    if (idleFrames < 1)
        RotateTowards(dt, 50.f, {turretPosition.x, turretPosition.y - 10.f});
}

void AIDetectionComponent::RotateTowards(float dt, float degreesPerSecond, sf::Vector2f point)
{
    const sf::Vector2f turretPosition = turret->sprite->getPosition();
    const double desired = std::atan2(point.y - turretPosition.y, point.x - turretPosition.x);
    const double current = turret->sprite->getRotation() * Pi / 180.0;
    double diff = desired - current;
    while (diff > Pi)
        diff -= 2.0 * Pi;
    while (diff < -Pi)
        diff += 2.0 * Pi;
    if (std::abs(diff) < 0.0001)
    {
        turret->sprite->setRotation(static_cast<float>(desired * 180.0 / Pi));
        return;
    }
    const double step = dt * degreesPerSecond * Pi / 180.0;
    const double turn = std::abs(diff) <= step ? diff : std::copysign(step, diff);
    turret->sprite->setRotation(static_cast<float>((current + turn) * 180.0 / Pi));
}

void AIDetectionComponent::PhysicsUpdate(float)
{
    if (owner->alive)
        range.setPosition(owner->getPosition());
}

void AIDetectionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    range.setPosition(owner->getPosition());
    range.setFillColor(sf::Color::Transparent);
    range.setOutlineColor(sf::Color::Magenta);
    range.setOutlineThickness(1.f);
    window->draw(range);
}

void AITimerComponent::Update(float dt)
{
    if (detection->targets.empty())
    {
        if (countdown != interval)
            countdown = interval;
    }
    else if (countdown >= 0.f)
    {
        countdown -= dt;
    }
    else
    {
        Notify();
        countdown = interval;
    }
}

void SpawnerComponent::Update(float dt)
{
    if (ready)
        return;
    reloadTime -= dt;
    if (reloadTime < 0.f)
    {
        ready = true;
        const auto status = owner->GetComponent<StatusComponent>();
        reloadTime = status ? status->fireInterval : 0.25f;
    }
}

void SpawnerComponent::OnNotify()
{
    if (!ready)
        return;
    const auto status = owner->GetComponent<StatusComponent>();
    const auto upgrade = owner->GetComponent<UpgradeStateComponent>();
    const float damage = status ? ShotDamage(status->damage) : 0.f;
    const int kind = upgrade ? upgrade->towerKind : 1;
    for (const sf::Vector2f offset : barrelOffsets)
    {
        const double theta = turretSprite->getRotation() * Pi / 180.0;
        const sf::Vector2f rotated(
            static_cast<float>(offset.x * std::cos(theta) - offset.y * std::sin(theta)),
            static_cast<float>(offset.x * std::sin(theta) + offset.y * std::cos(theta)));
        const auto projectile = CreateProjectile(projectileSprite, owner, damage, rotated);
        SoundManager::instance().PlaySound(kind == 1 ? "projectileSound" : "rocketSound", 50.f);
        projectile->setPosition(turretSprite->getPosition() + rotated);
        // Until it is first drawn, the shot's picture lies where it leaves the muzzle.
        if (auto* render = projectile->FindComponent<SpriteRenderComponent>())
            render->Place();
    }
    ready = false;
}
