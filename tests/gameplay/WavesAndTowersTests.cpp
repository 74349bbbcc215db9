// Wave planning and release, and a tower's cycle: targets in and out, the turret's aim and idle
// swing, the fire timer, the reload and the shots.

#include "tests/gameplay/GameplayFixture.hpp"

#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/Waves.hpp"
#include "ui/UIManager.hpp"

#include <cmath>

namespace
{
class GameplayWaves : public GameplayTest
{
protected:
    std::shared_ptr<EnemySpawnerComponent> Spawner(int waveSize = 10)
    {
        spawnerObject = std::make_shared<GameObject>(ObjectType::Spawner);
        spawnerObject->setPosition(30.f, 40.f);
        return std::make_shared<EnemySpawnerComponent>(spawnerObject.get(), 3, 6, waveSize);
    }
    static std::vector<int> Kinds(const EnemySpawnerComponent& spawner)
    {
        return {spawner.queue.begin(), spawner.queue.end()};
    }
    std::shared_ptr<GameObject> spawnerObject;
};

class GameplayTowers : public GameplayTest
{
protected:
    std::shared_ptr<GameObject> Tower(int kind = 1, sf::Vector2f at = {400.f, 300.f})
    {
        CreateTower(kind, at.x, at.y);
        const auto tower = OfType(ObjectType::Tower).back();
        // The turret sprite takes its place when first drawn; these tests draw nothing.
        Turret(*tower)->sprite->setPosition(tower->getPosition());
        return tower;
    }
    std::shared_ptr<GameObject> Enemy(sf::Vector2f at)
    {
        CreateEnemy(1, 0, 1, at.x, at.y);
        return Last();
    }
    static std::shared_ptr<SpriteRenderComponent> Turret(const GameObject& tower)
    {
        int seen = 0;
        for (const auto& component : tower.components)
            if (auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component); render && ++seen == 2)
                return render;
        return {};
    }
};
} // namespace

TEST_F(GameplayWaves, CompositionAtTheThresholds)
{
    GameplayManager::instance().seedSource = [] { return 12345u; };
    const int weak = WeakEnemy, middle = MiddleEnemy, hard = HardEnemy;
    for (int wave = 1; wave <= 8; ++wave)
    {
        const auto spawner = Spawner();
        spawner->PlanWave(wave);
        const auto kinds = Kinds(*spawner);
        SCOPED_TRACE("wave " + std::to_string(wave));
        ASSERT_EQ(kinds.size(), static_cast<std::size_t>(10 * wave));
        const auto count = [&](int kind) { return std::count(kinds.begin(), kinds.end() - 1, kind); };
        switch (wave)
        {
        case 1:
        case 2:
            EXPECT_EQ(count(weak), 10 * wave - 1);
            EXPECT_EQ(kinds.back(), weak);
            break;
        case 3:
            EXPECT_EQ(count(weak), 29);
            EXPECT_EQ(kinds.back(), middle);
            break;
        case 4:
        case 5:
            EXPECT_EQ(count(hard), 0);
            EXPECT_GT(count(middle), 0) << "middle with probability " << wave << "/20";
            EXPECT_GT(count(weak), count(middle));
            break;
        case 6:
            EXPECT_EQ(kinds.back(), hard);
            EXPECT_EQ(count(hard), 0);
            EXPECT_GT(count(middle), 0);
            break;
        default:
            EXPECT_GT(std::count(kinds.begin(), kinds.end(), hard), 0);
            EXPECT_GT(std::count(kinds.begin(), kinds.end(), middle), 0);
            EXPECT_GT(std::count(kinds.begin(), kinds.end(), weak), 0);
        }
    }
    // From wave 40 every enemy is hard.
    const auto late = Spawner(2);
    late->PlanWave(40);
    EXPECT_EQ(Kinds(*late), std::vector<int>(80, hard));
    // Thresholds of the map move the special enemies.
    auto early = std::make_shared<EnemySpawnerComponent>(spawnerObject.get(), 1, 2, 3);
    early->PlanWave(1);
    EXPECT_EQ(Kinds(*early), (std::vector<int>{weak, weak, middle}));
}

TEST_F(GameplayWaves, EachTickReleasesOneEnemyAndAnEmptyQueueStartsTheNextWave)
{
    auto& ui = UIManager::instance();
    unsigned seeds = 0;
    GameplayManager::instance().seedSource = [&seeds] { return ++seeds; };
    GameplayManager::instance().AddWaypoint(1, {100.f, 40.f});
    const auto spawner = Spawner(2);

    // The first tick starts wave 1 and releases nothing.
    spawner->OnNotify();
    EXPECT_EQ(ui.wave, 1);
    EXPECT_TRUE(ui.waveTextActive);
    EXPECT_FLOAT_EQ(ui.waveTextTimer, 2.f);
    EXPECT_EQ(spawner->wavesStarted, 1);
    EXPECT_EQ(spawner->queue.size(), 2u);
    EXPECT_TRUE(OfType(ObjectType::Enemy).empty());
    EXPECT_EQ(seeds, 1u);

    // Names count down; enemies start at the spawner with the wave's health.
    spawner->OnNotify();
    spawner->OnNotify();
    auto enemies = OfType(ObjectType::Enemy);
    ASSERT_EQ(enemies.size(), 2u);
    EXPECT_EQ(enemies[0]->name, "WeakEnemy_2");
    EXPECT_EQ(enemies[1]->name, "WeakEnemy_1");
    EXPECT_EQ(enemies[0]->getPosition(), sf::Vector2f(30.f, 40.f));
    EXPECT_EQ(enemies[0]->GetComponent<StatusComponent>()->health, 300u);
    EXPECT_EQ(enemies[0]->GetComponent<EnemyMovementComponent>()->path, (std::vector<sf::Vector2f>{{100.f, 40.f}}));

    // Wave 2: 4 enemies of 400 hit points; the generator is seeded only once.
    ui.waveTextActive = false;
    spawner->OnNotify();
    EXPECT_EQ(ui.wave, 2);
    EXPECT_TRUE(ui.waveTextActive);
    EXPECT_EQ(spawner->queue.size(), 4u);
    EXPECT_EQ(OfType(ObjectType::Enemy).size(), 2u);
    spawner->OnNotify();
    EXPECT_EQ(Last()->name, "WeakEnemy_4");
    EXPECT_EQ(Last()->GetComponent<StatusComponent>()->health, 400u);
    EXPECT_EQ(seeds, 1u);
}

TEST_F(GameplayWaves, AnEnemyWalksTheWaypointsAndStopsAtTheLast)
{
    GameplayManager::instance().AddWaypoint(1, {100.f, 0.f});
    GameplayManager::instance().AddWaypoint(2, {100.f, 50.f});
    CreateEnemy(1, 0, 1, 0.f, 0.f);
    const auto enemy = Last();
    const auto movement = enemy->GetComponent<EnemyMovementComponent>();
    // Later changes to the path do not reach an enemy already walking.
    GameplayManager::instance().AddWaypoint(3, {500.f, 500.f});
    ASSERT_EQ(movement->path.size(), 2u);

    GameplayManager::instance().running = true;
    int frames = 0;
    while (movement->target < 2 && frames < 600)
    {
        testing_support::StepWorld(1.f / 60.f);
        ++frames;
    }
    EXPECT_EQ(movement->target, 2);
    // 150 pixels at no more than 100 pixels per second, speeding up from rest at each waypoint.
    EXPECT_GT(frames, 90);
    EXPECT_LT(frames, 180);
    const sf::Vector2f stop = enemy->getPosition();
    EXPECT_LE(std::hypot(stop.x - 100.f, stop.y - 50.f), 5.f);
    for (int i = 0; i < 30; ++i)
        testing_support::StepWorld(1.f / 60.f);
    EXPECT_EQ(enemy->getPosition(), stop) << "an enemy past its last waypoint stands still";
    EXPECT_NEAR(enemy->getRotation(), 90.f, 10.f) << "heading down the last leg";
}

TEST_F(GameplayTowers, RangeContactAddsATargetOnceFromTheTowersSideOnly)
{
    const auto tower = Tower();
    const auto enemy = Enemy({400.f, 400.f});
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto detector = Collider<CircleCollisionComponent>(*tower);
    ASSERT_TRUE(detector);
    EXPECT_EQ(detector->shape.getRadius(), 150.f);
    const auto enemyCircle = Collider<CircleCollisionComponent>(*enemy);
    GameplayManager::instance().HandleCollision(enemyCircle.get(), detector);
    EXPECT_TRUE(detection->targets.empty());
    Contact(detector, enemyCircle);
    Contact(detector, enemyCircle);
    ASSERT_EQ(detection->targets.size(), 1u);
    EXPECT_EQ(detection->targets.front().get(), enemy.get());
}

TEST_F(GameplayTowers, TheFrontTargetLeavesJustBeyondReachOrWhenDead)
{
    const auto tower = Tower();
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto turret = Turret(*tower);
    const auto first = Enemy({400.f + 167.5f, 300.f});
    const auto second = Enemy({400.f, 300.f + 100.f});
    detection->AddTarget(first.get());
    detection->AddTarget(second.get());

    // At exactly 167.5 pixels (150 + 17.5) the first stays the target.
    detection->Update(1.f / 60.f);
    EXPECT_EQ(detection->targets.size(), 2u);
    EXPECT_FLOAT_EQ(turret->sprite->getRotation(), 0.f);
    // Just beyond it leaves, but stays the aim of this frame.
    first->setPosition(400.f + 167.6f, 300.f);
    detection->Update(1.f / 60.f);
    ASSERT_EQ(detection->targets.size(), 1u);
    EXPECT_EQ(detection->targets.front(), second);
    EXPECT_FLOAT_EQ(turret->sprite->getRotation(), 0.f);
    detection->Update(1.f / 60.f);
    EXPECT_FLOAT_EQ(turret->sprite->getRotation(), 90.f);

    // A dead front target is dropped at the next tracking step, wherever it is.
    second->Destroy();
    detection->Update(1.f / 60.f);
    EXPECT_TRUE(detection->targets.empty());
}

TEST_F(GameplayTowers, AnIdleTurretSwingsBackAlongTheShorterArc)
{
    const float dt = 1.f / 60.f;
    for (const float start : {0.f, 200.f})
    {
        SCOPED_TRACE("from " + std::to_string(start));
        const auto tower = Tower(1, {100.f + start, 100.f});
        const auto detection = tower->GetComponent<AIDetectionComponent>();
        const auto turret = Turret(*tower);
        turret->sprite->setRotation(start);
        // 99 frames without a target keep the aim; the 100th starts turning.
        for (int frame = 1; frame <= 99; ++frame)
            detection->Update(dt);
        EXPECT_FLOAT_EQ(turret->sprite->getRotation(), start);
        detection->Update(dt);
        const float step = 50.f * dt;
        const float expected = start == 0.f ? 360.f - step : start + step;
        EXPECT_NEAR(turret->sprite->getRotation(), expected, 1e-3f);

        // Never beyond -90 degrees (270), and at rest exactly there.
        for (int frame = 0; frame < 200; ++frame)
        {
            detection->Update(dt);
            const float rotation = turret->sprite->getRotation();
            EXPECT_GE(rotation, start == 0.f ? 270.f - 1e-3f : start);
            EXPECT_LE(rotation, start == 0.f ? 360.f : 270.f + 1e-3f);
        }
        EXPECT_EQ(turret->sprite->getRotation(), 270.f);
    }
}

TEST_F(GameplayTowers, TheTimerAndTheReloadSetTheCadence)
{
    const auto tower = Tower(1);
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto timer = tower->GetComponent<AITimerComponent>();
    const auto enemy = Enemy({400.f, 380.f});
    // Exact steps: the timer's 0.5 s runs out after five updates and notifies at the sixth; the
    // first reload of 0.25 s is over at the third.
    const float dt = 0.125f;
    std::vector<int> shotFrames;
    for (int frame = 1; frame <= 18; ++frame)
    {
        detection->AddTarget(enemy.get());
        const std::size_t before = OfType(ObjectType::Projectile).size();
        tower->Update(dt);
        if (OfType(ObjectType::Projectile).size() > before)
            shotFrames.push_back(frame);
    }
    EXPECT_EQ(shotFrames, (std::vector<int>{6, 12, 18}));
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    EXPECT_FLOAT_EQ(spawner->reloadTime, 0.5f) << "later reloads take the tower's fire interval";

    // Without a target the countdown starts over.
    detection->targets.clear();
    tower->Update(dt);
    EXPECT_FLOAT_EQ(timer->countdown, 0.5f);
}

TEST_F(GameplayTowers, ASmallRocketTowerFiresTwoRocketsSideBySide)
{
    const auto tower = Tower(2, {400.f, 300.f});
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto enemy = Enemy({400.f, 400.f});
    detection->AddTarget(enemy.get());
    detection->Update(1.f / 60.f); // the turret now points down (90 degrees)
    ASSERT_FLOAT_EQ(Turret(*tower)->sprite->getRotation(), 90.f);
    spawner->ready = true;
    spawner->OnNotify();
    const auto shots = OfType(ObjectType::Projectile);
    ASSERT_EQ(shots.size(), 2u);
    // Offsets (0, -5) and (0, 5) turned by 90 degrees: (5, 0) and (-5, 0).
    EXPECT_NEAR(shots[0]->getPosition().x, 405.f, 1e-3f);
    EXPECT_NEAR(shots[0]->getPosition().y, 300.f, 1e-3f);
    EXPECT_NEAR(shots[1]->getPosition().x, 395.f, 1e-3f);
    EXPECT_NEAR(shots[1]->getPosition().y, 300.f, 1e-3f);
    for (const auto& shot : shots)
    {
        const auto status = shot->GetComponent<StatusComponent>();
        EXPECT_EQ(status->damage, 50.f);
        EXPECT_EQ(status->speed, 600.f);
        EXPECT_EQ(shot->GetComponent<ConstantMoveComponent>()->target, sf::Vector2f(400.f, 400.f));
    }
    EXPECT_FALSE(spawner->ready);
    spawner->OnNotify();
    EXPECT_EQ(OfType(ObjectType::Projectile).size(), 2u) << "a notification while reloading fires nothing";
}

TEST_F(GameplayTowers, ShotsLeaveFromTheUpgradedTurret)
{
    const auto tower = Tower(1, {400.f, 300.f});
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto enemy = Enemy({400.f, 400.f});
    detection->AddTarget(enemy.get());
    detection->Update(1.f / 60.f);
    // The second upgrade gives two barrels; the new turret is then turned towards the enemy.
    GameConfig::instance().applyUpgrade(*tower);
    GameConfig::instance().applyUpgrade(*tower);
    Turret(*tower)->sprite->setPosition(tower->getPosition()); // as the next drawn frame does
    enemy->setPosition(500.f, 300.f);
    detection->Update(1.f / 60.f);
    EXPECT_FLOAT_EQ(Turret(*tower)->sprite->getRotation(), 0.f);
    spawner->ready = true;
    spawner->OnNotify();
    const auto shots = OfType(ObjectType::Projectile);
    ASSERT_EQ(shots.size(), 2u);
    // Turned by 0 degrees (the new turret), not 90 (the replaced one).
    EXPECT_NEAR(shots[0]->getPosition().y, 295.f, 1e-3f);
    EXPECT_NEAR(shots[1]->getPosition().y, 305.f, 1e-3f);
    EXPECT_NEAR(shots[0]->getPosition().x, 400.f, 1e-3f);
}

TEST_F(GameplayTowers, ATowerIsWiredInItsUpdateOrder)
{
    const auto tower = Tower(3, {250.f, 260.f});
    EXPECT_EQ(tower->getRotation(), 270.f);
    // Detection circle first (attached by the detection), then spawner, status, upgrade state,
    // rigid body, box, detection, timer, platform and turret: reload before tracking before timer.
    std::vector<int> types;
    for (const auto& component : tower->components)
        types.push_back(component->GetType());
    const std::vector<int> expected = {
        ComponentType::Collision, ComponentType::Spawner,   ComponentType::Status,
        ComponentType::UpgradeState, ComponentType::RigidBody, ComponentType::Collision,
        ComponentType::Collision, ComponentType::Timer,     ComponentType::SpriteRender,
        ComponentType::SpriteRender};
    EXPECT_EQ(types, expected);
    EXPECT_TRUE(std::dynamic_pointer_cast<CircleCollisionComponent>(tower->components[0]));
    EXPECT_TRUE(std::dynamic_pointer_cast<AIDetectionComponent>(tower->components[6]));

    // The platform's 64 x 64 box around the click point; numbers shared by every kind.
    const auto box = Collider<BoxCollisionComponent>(*tower);
    EXPECT_EQ(box->rect, sf::FloatRect(218.f, 228.f, 64.f, 64.f));
    const auto status = tower->GetComponent<StatusComponent>();
    EXPECT_EQ(status->fireInterval, 0.5f);
    EXPECT_EQ(status->damage, 100.f);
    EXPECT_EQ(tower->GetComponent<AITimerComponent>()->interval, 0.5f);
    EXPECT_EQ(tower->GetComponent<UpgradeStateComponent>()->towerKind, 3);
    EXPECT_EQ(Turret(*tower)->followRotation, false);
    const auto& colliders = PhysicsManager::instance().colliders;
    EXPECT_EQ(colliders.at(box), "Tower");
    EXPECT_EQ(colliders.at(Collider<CircleCollisionComponent>(*tower)), "TowerDetector");
}

// Each shot draws and collides with a sprite of its own, made from the tower's pattern: with one
// shared sprite every shot was tested where the newest one was drawn.
TEST_F(GameplayTowers, EachProjectileHasItsOwnSpriteAtItsMuzzleAndExpires)
{
    const auto tower = Tower(1);
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    const auto enemy = Enemy({400.f, 420.f});
    detection->AddTarget(enemy.get());
    spawner->ready = true;
    spawner->OnNotify();
    spawner->ready = true;
    spawner->OnNotify();
    const auto shots = OfType(ObjectType::Projectile);
    ASSERT_EQ(shots.size(), 2u);
    const auto first = shots[0]->GetComponent<PixelCollisionComponent>();
    const auto second = shots[1]->GetComponent<PixelCollisionComponent>();
    EXPECT_NE(first->sprite, second->sprite);
    EXPECT_NE(first->sprite, spawner->projectileSprite);
    EXPECT_EQ(first->sprite, shots[0]->GetComponent<SpriteRenderComponent>()->sprite);
    EXPECT_EQ(first->sprite->getTexture(), spawner->projectileSprite->getTexture());
    EXPECT_EQ(first->mask, second->mask) << "the pixel mask stays shared";
    EXPECT_EQ(first->sprite->getScale(), sf::Vector2f(0.5f, 0.5f));
    // Until it is drawn, a shot's picture lies at the muzzle, turned along its flight.
    EXPECT_EQ(first->sprite->getPosition(), shots[0]->getPosition());
    EXPECT_EQ(first->sprite->getRotation(), shots[0]->getRotation());
    EXPECT_EQ(PhysicsManager::instance().colliders.at(Collider<PixelCollisionComponent>(*shots[0])), "Projectile");
    // A shot that hits nothing is gone a little after 2.5 seconds.
    for (int frame = 0; frame < 20; ++frame)
        shots[0]->Update(0.125f);
    EXPECT_TRUE(shots[0]->alive);
    shots[0]->Update(0.125f);
    shots[0]->Update(0.125f);
    EXPECT_FALSE(shots[0]->alive);
}
