#include "gameplay/GameplayManager.hpp"

#include "app/services/InputManager.hpp"
#include "app/services/SoundManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/PhysicsManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"

#include <ctime>

GameplayManager& GameplayManager::instance()
{
    static GameplayManager manager;
    return manager;
}

GameplayManager::GameplayManager()
    : seedSource([] { return static_cast<unsigned>(std::time(nullptr)); })
{
    // Every contact the physics step finds goes through the rules below.
    PhysicsManager::instance().contactListener = [this](CollisionComponent* self,
                                                        const std::shared_ptr<CollisionComponent>& other)
    { HandleCollision(self, other); };
}

void GameplayManager::AddWaypoint(std::int32_t index, sf::Vector2f position)
{
    waypoints.push_back(std::make_shared<Waypoint>(Waypoint{index, position}));
    waypoints.sort([](const auto& a, const auto& b) { return a->index < b->index; });
}

void GameplayManager::HandleCollision(CollisionComponent* self, const std::shared_ptr<CollisionComponent>& other)
{
    if (!self || !other)
        return;
    GameObject* s = self->GetOwner();
    GameObject* o = other->GetOwner();
    const int st = s->type, ot = o->type;

    // 1. A projectile hits an enemy.
    if ((st == ObjectType::Enemy && ot == ObjectType::Projectile) ||
        (st == ObjectType::Projectile && ot == ObjectType::Enemy))
    {
        GameObject* enemy = st == ObjectType::Enemy ? s : o;
        GameObject* projectile = st == ObjectType::Enemy ? o : s;
        auto* const enemyStatus = enemy->FindComponent<StatusComponent>();
        auto* const projectileStatus = projectile->FindComponent<StatusComponent>();
        if (enemyStatus && projectileStatus)
        {
            const bool wasAlive = enemy->alive;
            enemyStatus->TakeDamage(projectileStatus->damage * 0.5f);
            // The tower whose shot killed counts the kill.
            if (wasAlive && !enemy->alive)
            {
                if (const auto tower = projectileStatus->firedBy.lock())
                {
                    if (auto* const towerStatus = tower->FindComponent<StatusComponent>())
                        ++towerStatus->kills;
                }
            }
        }
        projectile->Destroy();
    }
    // 2. An enemy reaches the base.
    if ((st == ObjectType::Enemy && ot == ObjectType::Base) || (st == ObjectType::Base && ot == ObjectType::Enemy))
    {
        GameObject* enemy = st == ObjectType::Enemy ? s : o;
        GameObject* base = st == ObjectType::Enemy ? o : s;
        enemy->Destroy();
        auto* const enemyStatus = enemy->FindComponent<StatusComponent>();
        auto* const baseStatus = base->FindComponent<StatusComponent>();
        if (enemyStatus && baseStatus)
            baseStatus->TakeDamage(enemyStatus->damage * 0.5f);
        SoundManager::instance().PlaySound("baseDamage", 15.f);
    }
    // 3. An enemy enters a tower's range.
    if (st == ObjectType::Tower && ot == ObjectType::Enemy)
    {
        if (auto* const detection = s->FindComponent<AIDetectionComponent>())
            detection->AddTarget(o);
    }
    // 4. The cursor rests on the base, an obstacle or a tower's platform box.
    if (st == ObjectType::Mouse)
    {
        const bool towerBody =
            ot == ObjectType::Tower && dynamic_cast<CircleCollisionComponent*>(other.get()) == nullptr;
        if (ot == ObjectType::Base || ot == ObjectType::Obstacle || towerBody)
            GameConfig::instance().buildAllowed = false;
    }
    // 5. A click on a tower or the base with no tower kind selected upgrades it. Only the
    // cursor's point counts (its 64 x 64 box may touch two towers at once), and one click buys
    // one upgrade at most.
    if (st == ObjectType::Mouse && (ot == ObjectType::Tower || ot == ObjectType::Base) &&
        dynamic_cast<PointCollisionComponent*>(self) != nullptr && !upgradeClickSpent &&
        InputManager::instance().IsMouseButtonPressed(sf::Mouse::Left) && !GameConfig::instance().buildAllowed &&
        cursorInput && cursorInput->selectedTower == 0)
    {
        upgradeClickSpent = true;
        GameConfig::instance().tryUpgrade(*o);
    }
}
