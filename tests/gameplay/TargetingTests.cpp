// A tower's cycle: targets in and out, the turret's aim and idle swing, the fire timer, the
// reload and the shots. (Towers in a whole game: tests/app/TowersKillTests.cpp.)

#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/TowerInfo.hpp"
#include "gameplay/Waves.hpp"
#include "services/InputManager.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"

#include <algorithm>

namespace
{
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
            if (auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component);
                render && ++seen == 2)
                return render;
        return {};
    }
};
} // namespace

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

// Hundreds of enemies in and out of one tower's list: each is listed once, in order of arrival,
// and one that left is taken again.
TEST_F(GameplayTowers, ManyTargetsComeAndGoEachListedOnce)
{
    const auto tower = Tower();
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    std::vector<std::shared_ptr<GameObject>> enemies;
    for (int i = 0; i < 200; ++i)
        enemies.push_back(Enemy(i < 100 ? sf::Vector2f(2000.f, 2000.f) : tower->getPosition()));
    for (int round = 0; round < 2; ++round)
        for (const auto& enemy : enemies)
            detection->AddTarget(enemy.get());
    ASSERT_EQ(detection->targets.size(), 200u);
    // The hundred out of reach leave from the front, one per tracking step.
    for (int step = 0; step < 150; ++step)
        detection->Update(1.f / 60.f);
    ASSERT_EQ(detection->targets.size(), 100u);
    for (const auto& enemy : enemies)
        detection->AddTarget(enemy.get());
    std::vector<GameObject*> order;
    for (const auto& target : detection->targets)
        order.push_back(target.get());
    std::vector<GameObject*> expected;
    for (int i = 0; i < 200; ++i)
        expected.push_back(enemies[static_cast<std::size_t>((i + 100) % 200)].get());
    EXPECT_EQ(order, expected);
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
    const std::vector<int> expected = {ComponentType::Collision,    ComponentType::Spawner,
                                       ComponentType::Status,       ComponentType::UpgradeState,
                                       ComponentType::RigidBody,    ComponentType::Collision,
                                       ComponentType::Collision,    ComponentType::Timer,
                                       ComponentType::SpriteRender, ComponentType::SpriteRender};
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
    EXPECT_EQ(PhysicsManager::instance().colliders.at(Collider<PixelCollisionComponent>(*shots[0])),
              "Projectile");
    // A shot that hits nothing is gone a little after 2.5 seconds.
    for (int frame = 0; frame < 20; ++frame)
        shots[0]->Update(0.125f);
    EXPECT_TRUE(shots[0]->alive);
    shots[0]->Update(0.125f);
    shots[0]->Update(0.125f);
    EXPECT_FALSE(shots[0]->alive);
}

// The set beside the target list answers AddTarget's membership question; the list keeps the
// arrival order, and an object that left the front may be added again at the back.
TEST_F(GameplayTowers, TargetsKeepTheirOrderAndMayComeBackAfterLeaving)
{
    CreateTower(1, 400.f, 300.f);
    const auto tower = GameObjectManager::instance().objects.back();
    std::vector<std::shared_ptr<GameObject>> enemies;
    for (int i = 0; i < 3; ++i)
    {
        CreateEnemy(1, 0, 1, 400.f + 10.f * static_cast<float>(i), 300.f);
        enemies.push_back(GameObjectManager::instance().objects.back());
    }
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    ASSERT_TRUE(detection);
    const auto order = [&detection]
    {
        std::vector<GameObject*> result;
        for (const auto& target : detection->targets)
            result.push_back(target.get());
        return result;
    };

    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[0].get());
    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[2].get());
    detection->AddTarget(enemies[0].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[1].get(), enemies[0].get(), enemies[2].get()}));

    // The front leaves once it is out of reach; coming back puts it at the end.
    enemies[1]->setPosition(2000.f, 2000.f);
    detection->Update(1.f / 60.f);
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[0].get(), enemies[2].get()}));
    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[2].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[0].get(), enemies[2].get(), enemies[1].get()}));

    // A list cleared from outside takes every object again.
    detection->targets.clear();
    detection->AddTarget(enemies[2].get());
    detection->AddTarget(enemies[0].get());
    detection->AddTarget(enemies[2].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[2].get(), enemies[0].get()}));
}

// The set goes by the objects' slots, which later objects take again once an object is gone: an
// enemy that left the list, died and was freed leaves no mark on the enemy that gets its slot.
TEST_F(GameplayTowers, AFreedTargetsSlotIsNoTargetForItsNextOwner)
{
    CreateTower(1, 400.f, 300.f);
    const auto detection = GameObjectManager::instance().objects.back()->GetComponent<AIDetectionComponent>();
    ASSERT_TRUE(detection);
    // Enough objects that the set spans several words of its bits.
    std::vector<std::shared_ptr<GameObject>> enemies;
    for (int i = 0; i < 150; ++i)
        enemies.push_back(std::make_shared<GameObject>(ObjectType::Enemy));
    for (const auto& enemy : enemies)
        detection->AddTarget(enemy.get());
    ASSERT_EQ(detection->targets.size(), 150u);
    EXPECT_EQ(detection->listed.Size(), 150u);

    // The front leaves (dead), and its object is freed once the list lets go of it.
    const std::uint32_t slot = enemies.front()->slot;
    enemies.front()->alive = false;
    detection->Update(1.f / 60.f);
    enemies.front().reset();
    ASSERT_EQ(detection->targets.size(), 149u);
    const auto heir = std::make_shared<GameObject>(ObjectType::Enemy);
    ASSERT_EQ(heir->slot, slot);
    detection->AddTarget(heir.get());
    ASSERT_EQ(detection->targets.size(), 150u);
    EXPECT_EQ(detection->targets.back().get(), heir.get());
    // Those still listed are not taken twice.
    for (std::size_t i = 1; i < enemies.size(); ++i)
        detection->AddTarget(enemies[i].get());
    EXPECT_EQ(detection->targets.size(), 150u);
    EXPECT_EQ(detection->listed.Size(), 150u);
}

// What a card says a tower does is what it does: with a target always in reach, a tower fires
// as many shots a second, at each level, as its figures say, and an upgrade whose figures stay
// the same (the small rocket tower's first and third: only a shorter reload, which the fire timer
// bounds) leaves the count of shots as it was.
TEST_F(GameplayTowers, EveryLevelShootsAsOftenAsItsCardSays)
{
    constexpr float dt = 1.f / 60.f;
    constexpr int frames = 1200; // 20 s of the game's time
    for (const int kind : {1, 2})
    {
        const auto tower = Tower(kind, {400.f, 300.f + 200.f * static_cast<float>(kind - 1)});
        const auto detection = tower->GetComponent<AIDetectionComponent>();
        const auto enemy = Enemy(tower->getPosition() + sf::Vector2f(0.f, 80.f));
        int previousShots = -1;
        float previousCard = 0.f;
        for (int level = 1; level <= 4; ++level)
        {
            SCOPED_TRACE("kind " + std::to_string(kind) + " level " + std::to_string(level));
            const auto figures = FiguresOf(*tower);
            ASSERT_TRUE(figures);
            const std::size_t before = OfType(ObjectType::Projectile).size();
            for (int frame = 0; frame < frames; ++frame)
            {
                detection->AddTarget(enemy.get());
                tower->Update(dt);
            }
            const int shots = static_cast<int>(OfType(ObjectType::Projectile).size() - before);
            const float seconds = frames * dt;
            // The cadence runs a frame behind the figures' ideal half second, and the count
            // starts wherever the last level's countdown stood: within a shot a second of them.
            EXPECT_NEAR(static_cast<float>(shots) / seconds, figures->shotsPerSecond,
                        static_cast<float>(TowerTypeOf(kind)->barrels.size()) * 0.15f + 0.1f);
            if (previousShots >= 0 && figures->shotsPerSecond == previousCard)
            {
                EXPECT_NEAR(shots, previousShots, 2) << "the card said: new look, same figures";
            }
            previousShots = shots;
            previousCard = figures->shotsPerSecond;
            if (level < 4)
            {
                GameConfig::instance().applyUpgrade(*tower);
                // The new turret picture takes its place when it is next drawn, as in the game.
                for (const auto& component : tower->components)
                    if (const auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component))
                        render->Place();
            }
        }
    }
}
