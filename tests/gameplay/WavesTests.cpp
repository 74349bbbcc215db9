// Wave planning and release, and an enemy's walk along the waypoints.

#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/Waves.hpp"
#include "services/GameCounters.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"

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

} // namespace

TEST_F(GameplayWaves, CompositionAtTheThresholds)
{
    GameplayManager::instance().seedSource = []
    {
        return 12345u;
    };
    const int weak = WeakEnemy, middle = MiddleEnemy, hard = HardEnemy;
    for (int wave = 1; wave <= 8; ++wave)
    {
        const auto spawner = Spawner();
        spawner->PlanWave(wave);
        const auto kinds = Kinds(*spawner);
        SCOPED_TRACE("wave " + std::to_string(wave));
        ASSERT_EQ(kinds.size(), static_cast<std::size_t>(10 * wave));
        const auto count = [&](int kind)
        {
            return std::count(kinds.begin(), kinds.end() - 1, kind);
        };
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
    auto& ui = GameCounters::instance();
    unsigned seeds = 0;
    GameplayManager::instance().seedSource = [&seeds]
    {
        return ++seeds;
    };
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
    EXPECT_EQ(enemies[0]->GetComponent<EnemyMovementComponent>()->path,
              (std::vector<sf::Vector2f>{{100.f, 40.f}}));

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

    // The enemy steers, and the physics step moves its body.
    const auto step = [&enemy]
    {
        enemy->Update(1.f / 60.f);
        PhysicsManager::instance().Update(1.f / 60.f);
    };
    int frames = 0;
    while (movement->target < 2 && frames < 600)
    {
        step();
        ++frames;
    }
    EXPECT_EQ(movement->target, 2);
    // 150 pixels at no more than 100 pixels per second, speeding up from rest at each waypoint.
    EXPECT_GT(frames, 90);
    EXPECT_LT(frames, 180);
    const sf::Vector2f stop = enemy->getPosition();
    EXPECT_LE(std::hypot(stop.x - 100.f, stop.y - 50.f), 5.f);
    for (int i = 0; i < 30; ++i)
        step();
    EXPECT_EQ(enemy->getPosition(), stop) << "an enemy past its last waypoint stands still";
    EXPECT_NEAR(enemy->getRotation(), 90.f, 10.f) << "heading down the last leg";
}
