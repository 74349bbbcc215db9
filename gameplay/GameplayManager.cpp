#include "gameplay/GameplayManager.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "services/SoundManager.hpp"

#include <ctime>
#include <iterator>

namespace
{
// The rules as the physics step reaches them. What they look at is the kinds of the two objects
// (fixed when an object is made), so a collider's class is its owner's kind.
class ContactRules : public ContactListener
{
public:
    std::uint8_t RuleClassOf(const CollisionComponent& collider) const override
    {
        const int kind = collider.GetOwner()->type;
        return kind >= 0 && kind < Classes ? static_cast<std::uint8_t>(kind) : Classes - 1;
    }

    // Exactly the pairs of kinds for which a rule of HandleCollision has a condition.
    bool Concerns(std::uint8_t self, std::uint8_t other) const override
    {
        const auto pairOf = [self, other](int a, int b)
        {
            return (self == a && other == b) || (self == b && other == a);
        };
        return pairOf(ObjectType::Enemy, ObjectType::Projectile) ||
               pairOf(ObjectType::Enemy, ObjectType::Base) ||
               (self == ObjectType::Tower && other == ObjectType::Enemy) ||
               (self == ObjectType::Mouse &&
                (other == ObjectType::Base || other == ObjectType::Obstacle || other == ObjectType::Tower));
    }

    void OnContact(CollisionComponent& self, CollisionComponent& other) override
    {
        GameplayManager::instance().HandleCollision(self, other);
    }
};

ContactRules& Rules()
{
    static ContactRules rules;
    return rules;
}
} // namespace

bool BlocksBuilding(const CollisionComponent& collider)
{
    const int kind = collider.GetOwner()->type;
    const bool towerBody =
        kind == ObjectType::Tower && dynamic_cast<const CircleCollisionComponent*>(&collider) == nullptr;
    return kind == ObjectType::Base || kind == ObjectType::Obstacle || towerBody;
}

GameplayManager& GameplayManager::instance()
{
    static GameplayManager manager;
    return manager;
}

GameplayManager::GameplayManager() : seedSource([] { return static_cast<unsigned>(std::time(nullptr)); })
{
    // Every contact the physics step finds goes through the rules below.
    PhysicsManager::instance().SetContactListener(&Rules());
}

void GameplayManager::AddWaypoint(std::int32_t index, sf::Vector2f position)
{
    // After the last waypoint whose index is not larger: the order a stable sort gives, found from
    // the end, so a path handed in sorted (as the level loader does) costs nothing to keep sorted.
    auto at = waypoints.end();
    while (at != waypoints.begin() && (*std::prev(at))->index > index)
        --at;
    waypoints.insert(at, std::make_shared<Waypoint>(Waypoint{index, position}));
}

void GameplayManager::HandleCollision(CollisionComponent* self,
                                      const std::shared_ptr<CollisionComponent>& other)
{
    if (self && other)
        HandleCollision(*self, *other);
}

void GameplayManager::HandleCollision(CollisionComponent& self, CollisionComponent& other)
{
    GameObject* const mine = self.GetOwner();
    GameObject* const theirs = other.GetOwner();
    const int myType = mine->type, theirType = theirs->type;
    // Whether the pair is one object of each of the two types, in either order.
    const auto pairOf = [myType, theirType](int a, int b)
    {
        return (myType == a && theirType == b) || (myType == b && theirType == a);
    };
    // Each contact reaches these rules twice, once from each of its colliders: the rules that
    // take hit points apply HitShare (half) of the amount each time.

    // 1. A projectile hits an enemy.
    if (pairOf(ObjectType::Enemy, ObjectType::Projectile))
    {
        GameObject* const enemy = myType == ObjectType::Enemy ? mine : theirs;
        GameObject* const projectile = myType == ObjectType::Enemy ? theirs : mine;
        auto* const enemyStatus = enemy->FindComponent<StatusComponent>();
        auto* const projectileStatus = projectile->FindComponent<StatusComponent>();
        if (enemyStatus && projectileStatus)
        {
            const bool wasAlive = enemy->alive;
            enemyStatus->TakeDamage(projectileStatus->damage * HitShare);
            // The tower whose shot killed counts the kill.
            if (wasAlive && !enemy->alive)
            {
                if (const auto tower = projectileStatus->firedBy.lock())
                {
                    auto* const towerStatus = tower->FindComponent<StatusComponent>();
                    const auto* const towerUpgrade = tower->FindComponent<UpgradeStateComponent>();
                    if (towerStatus)
                        ++towerStatus->kills;
                    if (towerStatus && towerUpgrade)
                        GameCounters::instance().CountTowerKills(towerUpgrade->towerKind, towerStatus->kills);
                }
            }
        }
        projectile->Destroy();
    }
    // 2. An enemy reaches the base.
    if (pairOf(ObjectType::Enemy, ObjectType::Base))
    {
        GameObject* const enemy = myType == ObjectType::Enemy ? mine : theirs;
        GameObject* const base = myType == ObjectType::Enemy ? theirs : mine;
        enemy->Destroy();
        auto* const enemyStatus = enemy->FindComponent<StatusComponent>();
        auto* const baseStatus = base->FindComponent<StatusComponent>();
        if (enemyStatus && baseStatus)
        {
            const std::uint32_t before = baseStatus->health;
            baseStatus->TakeDamage(enemyStatus->damage * HitShare);
            // Beside the rule: the HUD shows what the keep lost.
            if (baseStatus->health < before)
                GameCounters::instance().HitKeep(before - baseStatus->health, base->getPosition());
        }
        SoundManager::instance().PlaySound("baseDamage", 15.f);
    }
    // 3. An enemy enters a tower's range.
    if (myType == ObjectType::Tower && theirType == ObjectType::Enemy)
    {
        if (auto* const detection = mine->FindComponent<AIDetectionComponent>())
            detection->AddTarget(theirs);
    }
    // 4. The cursor rests on the base, an obstacle or a tower's platform box.
    if (myType == ObjectType::Mouse && BlocksBuilding(other))
        GameConfig::instance().buildAllowed = false;
    // 5. A click on a tower or the base with no tower kind selected upgrades it. Only the
    // cursor's point counts (its 64 x 64 box may touch two towers at once), and one click buys
    // one upgrade at most.
    if (myType == ObjectType::Mouse && (theirType == ObjectType::Tower || theirType == ObjectType::Base) &&
        dynamic_cast<PointCollisionComponent*>(&self) != nullptr && !upgradeClickSpent &&
        InputManager::instance().IsMouseButtonPressed(sf::Mouse::Left) &&
        !GameConfig::instance().buildAllowed && cursorInput && cursorInput->selectedTower == 0)
    {
        upgradeClickSpent = true;
        // A click that buys nothing says why at the pointer.
        if (const char* refusal = RefusalText(GameConfig::instance().tryUpgrade(*theirs)))
            GameCounters::instance().Refuse(refusal, mine->getPosition());
    }
}

void GameplayManager::CountLiveEnemies()
{
    liveEnemies = 0;
    for (const auto& object : GameObjectManager::instance().objects)
        if (object->alive && object->type == ObjectType::Enemy)
            ++liveEnemies;
}
