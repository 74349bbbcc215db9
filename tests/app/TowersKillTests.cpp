// Towers of each kind against the shipped level's waves for five simulated minutes, every frame
// updated and drawn as the game's loop does (no contact is handed in, the rules find their own):
// each kind on its own keeps killing, every hit of a shot lands where both pictures were drawn,
// and one bullet costs its enemy 50 hit points, as the tower's card says.

#include "entities/PhysicsManager.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/TowerInfo.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "tests/app/AppTestSupport.hpp"

#include <map>

namespace
{
constexpr float Step = 1.f / 60.f;
constexpr int FramesPerMinute = 3600;

// Grass beside the road: in its bends and along its legs.
const sf::Vector2f towerSpots[] = {{300.f, 330.f}, {340.f, 450.f}, {580.f, 340.f}, {580.f, 460.f},
                                   {800.f, 400.f}, {800.f, 250.f}, {980.f, 300.f}, {140.f, 260.f},
                                   {980.f, 480.f}, {300.f, 220.f}, {580.f, 200.f}, {800.f, 520.f}};

class TowersKill : public GameTest, public ::testing::WithParamInterface<int>
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        // The shipped level as it is, with a keep that does not fall.
        UseShippedLevel({{"Health", 1e7}});
        // Sprites are placed where they are drawn; the driver's small hidden window draws them
        // cheaply.
        driver = std::make_unique<testing_support::GameDriver>();
        InputManager::instance().mouseSource = []
        {
            return sf::Vector2i(5, 700);
        };
        GameplayManager::instance().seedSource = []
        {
            return 7u;
        };
    }
    void TearDown() override
    {
        GameTest::TearDown();
        driver.reset();
    }

    std::unique_ptr<testing_support::GameDriver> driver;
};

// An enemy's and a projectile's pixel colliders that touch in this frame's contacts.
struct ShotHit
{
    GameObject* projectile;
    GameObject* enemy;
    const sf::Sprite* projectileSprite;
    const sf::Sprite* enemySprite;
};

std::vector<ShotHit> ShotContacts()
{
    std::vector<ShotHit> hits;
    for (const auto& contact : PhysicsManager::instance().contacts)
    {
        auto* first = dynamic_cast<PixelCollisionComponent*>(contact.first);
        auto* second = dynamic_cast<PixelCollisionComponent*>(contact.second);
        if (!first || !second)
            continue;
        if (first->GetOwner()->type == ObjectType::Enemy)
            std::swap(first, second);
        if (first->GetOwner()->type == ObjectType::Projectile &&
            second->GetOwner()->type == ObjectType::Enemy)
            hits.push_back(
                {first->GetOwner(), second->GetOwner(), first->sprite.get(), second->sprite.get()});
    }
    return hits;
}
} // namespace

TEST_P(TowersKill, EachKindKillsEveryMinuteWhereThePicturesMeet)
{
    const int kind = GetParam();
    auto& ui = GameCounters::instance();
    driver->StartGame();
    for (const sf::Vector2f spot : towerSpots)
        GameConfig::instance().BuildTower(kind, spot.x, spot.y);
    const auto towers = OfType(ObjectType::Tower);
    const auto figures = FiguresOf(*towers.front());
    ASSERT_TRUE(figures);
    const auto cardHit = static_cast<std::uint32_t>(figures->damagePerHit);
    if (kind == 1)
    {
        EXPECT_EQ(cardHit, 50u);
    }
    const auto kills = [&towers]
    {
        int sum = 0;
        for (const auto& tower : towers)
            sum += tower->GetComponent<StatusComponent>()->kills;
        return sum;
    };

    std::map<const GameObject*, sf::Vector2f> drawnAt; // where each shot and enemy was last drawn
    int shotHits = 0, notDrawn = 0, misplaced = 0, wrongDamage = 0, lastKills = 0, lastScore = 0;
    for (int frame = 1; frame <= 5 * FramesPerMinute; ++frame)
    {
        std::map<const GameObject*, std::uint32_t> healthBefore;
        for (const auto& enemy : OfType(ObjectType::Enemy))
            healthBefore[enemy.get()] = enemy->GetComponent<StatusComponent>()->health;

        // This frame's contacts are looked at between its update and its picture (in its poll).
        std::map<const GameObject*, std::uint32_t> hitsOn;
        const auto lookAtContacts = [&]
        {
            for (const ShotHit& hit : ShotContacts())
            {
                ++shotHits;
                ++hitsOn[hit.enemy];
                const auto shot = drawnAt.find(hit.projectile);
                const auto enemy = drawnAt.find(hit.enemy);
                if (shot == drawnAt.end() || enemy == drawnAt.end())
                    ++notDrawn;
                else if (hit.projectileSprite->getPosition() != shot->second ||
                         hit.enemySprite->getPosition() != enemy->second)
                    ++misplaced;
            }
            // A shot of an unupgraded tower costs 50 hit points (two reports of half its 50 damage),
            // as its card says; the base takes enemies without hurting them.
            if (kind == 1)
            {
                for (const auto& [enemy, before] : healthBefore)
                {
                    const std::uint32_t after = enemy->FindComponent<StatusComponent>()->health;
                    const auto hits = static_cast<std::uint32_t>(hitsOn[enemy]);
                    wrongDamage += before - after != std::min(before, cardHit * hits) ? 1 : 0;
                }
            }
        };
        driver->Frame(Step, lookAtContacts);
        drawnAt.clear();
        for (const auto& object : GameObjectManager::instance().objects)
        {
            if (object->alive &&
                (object->type == ObjectType::Projectile || object->type == ObjectType::Enemy))
                drawnAt[object.get()] = object->getPosition();
        }

        if (frame % FramesPerMinute == 0)
        {
            EXPECT_GT(kills(), lastKills)
                << "kind " << kind << " killed nobody in minute " << frame / FramesPerMinute;
            EXPECT_GT(ui.score, lastScore) << "minute " << frame / FramesPerMinute;
            lastKills = kills();
            lastScore = ui.score;
        }
    }
    EXPECT_GT(shotHits, 1000);
    EXPECT_EQ(notDrawn, 0) << "shots hit before they were drawn";
    EXPECT_EQ(misplaced, 0) << "shots hit away from where they were drawn";
    EXPECT_EQ(wrongDamage, 0);
    EXPECT_GE(ui.wave, 7);
}

INSTANTIATE_TEST_SUITE_P(BulletSmallRocketBigRocket, TowersKill, ::testing::Values(1, 2, 3));
