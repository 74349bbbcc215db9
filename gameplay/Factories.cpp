#include "gameplay/Factories.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"

#include <string>
#include <vector>

namespace
{
constexpr float ProjectileSpeed = 600.f;   // pixels per second
constexpr float ProjectileLifetime = 2.5f; // seconds
constexpr float ProjectileScale = 0.5f;
// The streak under a shot (shot_trail.png): its head, in the picture's pixels, lies on the shot.
const sf::Vector2f TrailHead(88.f, 16.f);
// The streak's colour by tower kind: warm and bright, as fire and tracer are.
sf::Color TrailTint(int kind)
{
    switch (kind)
    {
    case SmallRocketTower:
        return {255, 196, 120};
    case BigRocketTower:
        return {255, 160, 96};
    default:
        return {255, 238, 150};
    }
}

void BuildTower(const TowerType& type, float x, float y)
{
    auto tower = std::make_shared<GameObject>(ObjectType::Tower);
    tower->setRotation(-90.f);

    auto platformSprite = SpriteOf("towerPlatform");
    platformSprite->setScale(1.f, 1.f);
    auto platformRender = std::make_shared<SpriteRenderComponent>(tower.get(), WorldLayer, platformSprite);

    auto turretSprite = SpriteOf(type.turretTexture);
    turretSprite->setRotation(-90.f);
    turretSprite->setScale(1.f, 1.f);
    auto turretRender =
        std::make_shared<SpriteRenderComponent>(tower.get(), KeepOwnRotation, WorldLayer, turretSprite);

    auto projectileSprite = SpriteOf(type.projectileTexture);

    const sf::FloatRect turretBounds = turretSprite->getGlobalBounds();
    tower->setOrigin(turretBounds.width / 2.f, turretBounds.height / 2.f);
    tower->setPosition(x, y);

    const sf::FloatRect platformBounds = platformSprite->getGlobalBounds();
    const sf::FloatRect box(x - platformBounds.width / 2.f, y - platformBounds.height / 2.f,
                            platformBounds.width, platformBounds.height);

    sf::CircleShape range(TowerNumbers::DetectionRadius, 30);
    range.setOrigin(tower->getOrigin() +
                    sf::Vector2f(TowerNumbers::DetectionRadius - turretBounds.width / 2.f,
                                 TowerNumbers::DetectionRadius - turretBounds.height / 2.f));
    range.setPosition(tower->getPosition());

    auto status = std::make_shared<StatusComponent>(tower.get());
    status->fireInterval = TowerNumbers::FireInterval;
    status->damage = TowerNumbers::Damage;
    status->speed = TowerNumbers::Speed;

    auto upgrade = std::make_shared<UpgradeStateComponent>(tower.get(), 1, false, type.kind);
    auto body = std::make_shared<RigidBodyComponent>(tower.get());
    auto boxCollider = std::make_shared<BoxCollisionComponent>(tower.get(), body, box);
    // Attaches and registers the detection circle itself.
    auto detection = std::make_shared<AIDetectionComponent>(tower.get(), body, range, turretRender);
    auto timer = std::make_shared<AITimerComponent>(tower.get(), TowerNumbers::TimerInterval, detection);
    auto spawner =
        std::make_shared<SpawnerComponent>(tower.get(), turretSprite, projectileSprite, type.barrels);
    timer->AddObserver(spawner);

    // This order is the update order within a frame: reload, then tracking, then the timer.
    tower->AddComponent(spawner);
    tower->AddComponent(status);
    tower->AddComponent(upgrade);
    tower->AddComponent(body);
    tower->AddComponent(boxCollider);
    tower->AddComponent(detection);
    tower->AddComponent(timer);
    tower->AddComponent(platformRender);
    tower->AddComponent(turretRender);

    GameObjectManager::instance().AddGameObject(tower);
    PhysicsManager::instance().AddRigidBody(body, "Tower");
    PhysicsManager::instance().AddCollider(boxCollider, "Tower");
    RenderManager::instance().AddRenderComponent(platformRender);
    RenderManager::instance().AddRenderComponent(turretRender);
}

} // namespace

void CreatePlayerCursor()
{
    auto cursor = std::make_shared<GameObject>(ObjectType::Mouse, "Mouse");
    auto input = std::make_shared<InputComponent>(cursor.get());
    GameplayManager::instance().cursorInput = input;

    auto preview = std::make_shared<TowerShapeRenderComponent>(cursor.get(), input);
    auto body = std::make_shared<RigidBodyComponent>(cursor.get());
    auto box =
        std::make_shared<BoxCollisionComponent>(cursor.get(), body, sf::FloatRect(0.f, 0.f, 64.f, 64.f));
    auto point = std::make_shared<PointCollisionComponent>(cursor.get(), body);

    cursor->AddComponent(body);
    cursor->AddComponent(box);
    cursor->AddComponent(point);

    GameObjectManager::instance().AddGameObject(cursor);
    PhysicsManager::instance().AddRigidBody(body, "Mouse");
    PhysicsManager::instance().AddCollider(box, "Mouse");
    PhysicsManager::instance().AddCollider(point, "Mouse");
    RenderManager::instance().AddRenderComponent(preview);
}

std::shared_ptr<GameObject> CreateProjectile(std::shared_ptr<sf::Sprite> sprite, GameObject* shooter,
                                             float damage, sf::Vector2f offset)
{
    auto projectile = std::make_shared<GameObject>(ObjectType::Projectile);
    projectile->setPosition(shooter->getPosition());

    // The tower's sprite is the pattern; each projectile draws and collides with a copy of its
    // own (the texture and the pixel mask stay shared). A pixel collider tests its sprite where
    // it was last drawn, so one sprite shared by every shot would test them all where the newest
    // one was drawn.
    sprite->setScale(ProjectileScale, ProjectileScale);
    sprite = std::make_shared<sf::Sprite>(*sprite);
    auto render = std::make_shared<SpriteRenderComponent>(projectile.get(), WorldLayer, sprite);

    auto status = std::make_shared<StatusComponent>(projectile.get());
    status->damage = damage;
    status->speed = ProjectileSpeed;
    status->firedBy = shooter->weak_from_this();

    auto lifetime = std::make_shared<LifetimeComponent>(projectile.get(), ProjectileLifetime);

    std::shared_ptr<GameObject> aim;
    if (const auto detection = shooter->GetComponent<AIDetectionComponent>();
        detection && !detection->targets.empty())
        aim = detection->targets.front();
    const sf::Vector2f target = aim ? aim->getPosition() : shooter->getPosition();
    auto move =
        std::make_shared<ConstantMoveComponent>(projectile.get(), status->speed, target, offset, false);
    // Aimed only at where the enemy stood, a shot passes behind an enemy walking across its path
    // (and one fired as the enemy leaves the range lands in the grass): it chases its target.
    if (aim)
        move->Chase(aim);
    projectile->setRotation(HeadingDegrees(move->direction));

    auto body = std::make_shared<RigidBodyComponent>(projectile.get());
    auto pixels = std::make_shared<PixelCollisionComponent>(projectile.get(), body, sprite);

    // A bright streak behind the shot, drawn under it, so that shots read on every ground; only
    // the shot's own picture collides.
    auto trailSprite = SpriteOf("shotTrail");
    trailSprite->setScale(ProjectileScale, ProjectileScale);
    const auto* kind = shooter->FindComponent<UpgradeStateComponent>();
    trailSprite->setColor(TrailTint(kind ? kind->towerKind : BulletTower));
    auto trail = std::make_shared<SpriteRenderComponent>(projectile.get(), WorldLayer, trailSprite);
    trailSprite->setOrigin(TrailHead);

    projectile->AddComponent(status);
    projectile->AddComponent(render);
    projectile->AddComponent(lifetime);
    projectile->AddComponent(move);
    projectile->AddComponent(body);
    projectile->AddComponent(pixels);
    projectile->AddComponent(trail);

    GameObjectManager::instance().AddGameObject(projectile);
    PhysicsManager::instance().AddRigidBody(body, "Projectile");
    PhysicsManager::instance().AddCollider(pixels, "Projectile");
    RenderManager::instance().AddRenderComponent(trail);
    RenderManager::instance().AddRenderComponent(render);
    return projectile;
}

void CreateBulletTower(float x, float y)
{
    BuildTower(*TowerTypeOf(BulletTower), x, y);
}

void CreateSmallRocketTower(float x, float y)
{
    BuildTower(*TowerTypeOf(SmallRocketTower), x, y);
}

void CreateBigRocketTower(float x, float y)
{
    BuildTower(*TowerTypeOf(BigRocketTower), x, y);
}

void CreateTower(int kind, float x, float y)
{
    switch (kind)
    {
    case BulletTower:
        CreateBulletTower(x, y);
        break;
    case SmallRocketTower:
        CreateSmallRocketTower(x, y);
        break;
    case BigRocketTower:
        CreateBigRocketTower(x, y);
        break;
    default:
        break;
    }
}

void CreateEnemy(std::int32_t queueCount, int kind, std::int32_t wave, float x, float y)
{
    const EnemyType* const row = EnemyTypeOf(kind);
    if (!row)
        return;
    const std::uint32_t health = EnemyHealth(*row, wave, GameplayManager::instance().difficulty);

    auto enemy =
        std::make_shared<GameObject>(ObjectType::Enemy, row->namePrefix + std::to_string(queueCount));
    enemy->setPosition(x, y);

    auto sprite = SpriteOf(row->texture);
    sprite->setScale(EnemyNumbers::Scale, EnemyNumbers::Scale);
    auto render = std::make_shared<SpriteRenderComponent>(enemy.get(), WorldLayer, sprite);

    sf::CircleShape circle(EnemyNumbers::Radius, 30);
    circle.setOrigin(sf::Vector2f(EnemyNumbers::Radius, EnemyNumbers::Radius) + enemy->getOrigin());
    circle.setPosition(enemy->getPosition());

    auto status = std::make_shared<StatusComponent>(enemy.get());
    status->health = health;
    status->maxHealth = health;
    status->fireInterval = EnemyNumbers::FireInterval;
    status->damage = row->damage;
    status->speed = EnemyNumbers::Speed;
    status->scoreReward = row->scoreReward;
    status->moneyReward = KillGold(*row, GameplayManager::instance().difficulty);
    status->enemyKind = row->kind;

    auto body = std::make_shared<RigidBodyComponent>(enemy.get());
    auto circleCollider = std::make_shared<CircleCollisionComponent>(enemy.get(), body, circle);
    auto pixels = std::make_shared<PixelCollisionComponent>(enemy.get(), body, sprite);
    auto movement = std::make_shared<EnemyMovementComponent>(enemy.get());

    enemy->AddComponent(status);
    enemy->AddComponent(body);
    enemy->AddComponent(circleCollider);
    enemy->AddComponent(pixels);
    enemy->AddComponent(movement);

    GameObjectManager::instance().AddGameObject(enemy);
    PhysicsManager::instance().AddRigidBody(body, "Enemy");
    PhysicsManager::instance().AddCollider(circleCollider, "Enemy");
    PhysicsManager::instance().AddCollider(pixels, "Enemy");
    RenderManager::instance().AddRenderComponent(render);
}
