// Building and upgrading against the prices: towers, their three upgrades and the keep's two.

#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/TowerInfo.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "services/SoundManager.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Sprite.hpp>

namespace
{
class GameplayConfig : public GameplayTest
{
};
} // namespace

TEST_F(GameplayConfig, TowersCostTheirPriceAndATieBuys)
{
    auto& ui = GameCounters::instance();
    auto& config = GameConfig::instance();
    CreatePlayerCursor();
    auto& selected = GameplayManager::instance().cursorInput->selectedTower;

    ui.money = 149;
    selected = 2;
    config.tryBuildTower(2, 100.f, 100.f);
    EXPECT_EQ(ui.money, 149);
    EXPECT_EQ(selected, 2) << "a refused build keeps the selection";
    EXPECT_TRUE(OfType(ObjectType::Tower).empty());
    EXPECT_FALSE(ui.changeTextActive);

    ui.money = 150;
    config.tryBuildTower(2, 100.f, 120.f);
    EXPECT_EQ(ui.money, 0);
    EXPECT_EQ(ui.moneyChange, -150);
    EXPECT_EQ(selected, 0);
    ASSERT_EQ(OfType(ObjectType::Tower).size(), 1u);
    EXPECT_EQ(OfType(ObjectType::Tower)[0]->getPosition(), sf::Vector2f(100.f, 120.f));

    const int prices[] = {0, 50, 150, 300};
    for (int kind = 1; kind <= 3; ++kind)
    {
        ui.money = prices[kind];
        selected = kind;
        config.tryBuildTower(kind, 300.f, 300.f);
        EXPECT_EQ(ui.money, 0) << "kind " << kind;
        EXPECT_EQ(selected, 0);
    }
    EXPECT_EQ(OfType(ObjectType::Tower).size(), 4u);

    // Not over free ground, or an unknown kind: nothing.
    ui.money = 1000;
    config.buildAllowed = false;
    config.tryBuildTower(1, 500.f, 500.f);
    config.buildAllowed = true;
    config.tryBuildTower(4, 500.f, 500.f);
    config.tryBuildTower(0, 500.f, 500.f);
    EXPECT_EQ(ui.money, 1000);
    EXPECT_EQ(OfType(ObjectType::Tower).size(), 4u);
}

TEST_F(GameplayConfig, UpgradePricesGrowWithTheLevelUpToTheLimit)
{
    auto& ui = GameCounters::instance();
    auto& config = GameConfig::instance();
    struct Case
    {
        std::shared_ptr<GameObject> object;
        std::vector<int> prices;
    };
    Case cases[] = {
        {Tower(1), {75, 150, 225}}, {Tower(2), {100, 200, 300}}, {Base(), {150, 300}}, {Tower(3), {}}};
    for (auto& [object, prices] : cases)
    {
        const auto upgrade = object->GetComponent<UpgradeStateComponent>();
        for (std::size_t step = 0; step < prices.size(); ++step)
        {
            SCOPED_TRACE("type " + std::to_string(object->type) + " step " + std::to_string(step));
            // One short of the price: refused.
            ui.money = prices[step] - 1;
            config.tryUpgrade(*object);
            EXPECT_EQ(upgrade->level, static_cast<int>(step) + 1);
            EXPECT_EQ(ui.money, prices[step] - 1);
            // Exactly the price: bought, then locked; the card foretold the price and the figures.
            const auto foretold = FiguresAfterUpgrade(*object);
            const auto keep = KeepFiguresOf(*object);
            ASSERT_EQ(foretold.has_value(), !keep.has_value());
            EXPECT_EQ(UpgradePrice(*upgrade), prices[step]);
            ui.money = prices[step];
            config.tryUpgrade(*object);
            EXPECT_EQ(upgrade->level, static_cast<int>(step) + 2);
            const auto now = FiguresOf(*object);
            ASSERT_EQ(now.has_value(), foretold.has_value());
            if (foretold)
            {
                EXPECT_EQ(now->level, foretold->level);
                EXPECT_FLOAT_EQ(now->damagePerHit, foretold->damagePerHit);
                EXPECT_FLOAT_EQ(now->shotsPerSecond, foretold->shotsPerSecond);
            }
            if (keep)
            {
                EXPECT_EQ(Status(*object)->maxHealth, keep->maxHealth + keep->upgradeGain);
            }
            EXPECT_EQ(ui.money, 0);
            EXPECT_FALSE(upgrade->ready);
            ui.money = 1000;
            config.tryUpgrade(*object);
            EXPECT_EQ(ui.money, 1000) << "locked right after an upgrade";
            upgrade->ready = true;
        }
        // At the limit (or a kind 3 tower): nothing more, whatever the money.
        ui.money = 100000;
        config.tryUpgrade(*object);
        EXPECT_EQ(ui.money, 100000);
        EXPECT_EQ(upgrade->level, static_cast<int>(prices.size()) + 1);
        EXPECT_FALSE(FiguresAfterUpgrade(*object));
        if (const auto keep = KeepFiguresOf(*object))
        {
            EXPECT_EQ(keep->upgradeGain, 0u);
        }
    }
}

TEST_F(GameplayConfig, TheUpgradeLockLastsAboutHalfASecond)
{
    auto& ui = GameCounters::instance();
    const auto tower = Tower(1);
    const auto upgrade = tower->GetComponent<UpgradeStateComponent>();
    ui.money = 1000;
    GameConfig::instance().tryUpgrade(*tower);
    ASSERT_FALSE(upgrade->ready);
    // 0.5 s counted down by 0.125 s steps: still counting at exactly 0, below zero after five
    // steps, ready at the sixth.
    int frames = 0;
    while (!upgrade->ready && frames < 100)
    {
        upgrade->Update(0.125f);
        ++frames;
    }
    EXPECT_EQ(frames, 6);
    EXPECT_FLOAT_EQ(upgrade->cooldown, 0.5f);
}

TEST_F(GameplayConfig, TheBaseGrowsByHalfItsHealthAndChangesItsPicture)
{
    auto& config = GameConfig::instance();
    const auto base = Base();
    const auto status = Status(*base);
    status->health = 600;
    status->maxHealth = 1000;
    const sf::Vector2f before = base->getPosition();
    config.applyUpgrade(*base);
    EXPECT_EQ(status->health, 900u);
    EXPECT_EQ(status->maxHealth, 1300u);
    const auto render = base->GetComponent<SpriteRenderComponent>();
    EXPECT_EQ(render->sprite->getTexture(), &AssetManager::instance().GetTexture("base2"));
    // base.png is 96 wide, base2.png 112: the box takes the new size centred on the old position,
    // then the object moves by half the difference (-8, -8).
    const auto box = Collider<BoxCollisionComponent>(*base);
    EXPECT_EQ(box->rect, sf::FloatRect(before.x - 56.f, before.y - 56.f, 112.f, 112.f));
    EXPECT_EQ(base->getPosition(), before + sf::Vector2f(-8.f, -8.f));
    EXPECT_TRUE(base->resized);
    EXPECT_EQ(base->resizedSize, sf::Vector2f(-16.f, -16.f));

    base->resized = false;
    const sf::Vector2f moved = base->getPosition();
    status->health = 1000;
    status->maxHealth = 1000;
    config.applyUpgrade(*base);
    EXPECT_EQ(status->health, 1500u);
    EXPECT_EQ(status->maxHealth, 1500u);
    EXPECT_EQ(render->sprite->getTexture(), &AssetManager::instance().GetTexture("base3"));
    EXPECT_EQ(box->rect, sf::FloatRect(moved.x - 64.f, moved.y - 64.f, 128.f, 128.f));
    EXPECT_EQ(base->getPosition(), moved) << "the second upgrade does not move the base";
    EXPECT_FALSE(base->resized);
    EXPECT_EQ(base->GetComponent<UpgradeStateComponent>()->level, 3);
}

TEST_F(GameplayConfig, ABulletTowerAfterThreeUpgrades)
{
    auto& ui = GameCounters::instance();
    const auto tower = Tower(1);
    const auto status = Status(*tower);
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto upgrade = tower->GetComponent<UpgradeStateComponent>();
    ui.money = 75 + 150 + 225;
    const char* turrets[] = {"tower1upgrade1", "tower1upgrade2", "tower1upgrade3"};
    const float damages[] = {125.f, 125.f, 156.25f};
    const float intervals[] = {0.375f, 0.25f, 0.125f};
    for (int step = 0; step < 3; ++step)
    {
        GameConfig::instance().tryUpgrade(*tower);
        upgrade->ready = true;
        // The turret is the second sprite drawn; the shots follow the new turret sprite.
        std::shared_ptr<SpriteRenderComponent> turret;
        int seen = 0;
        for (const auto& component : tower->components)
            if (auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component);
                render && ++seen == 2)
                turret = render;
        ASSERT_TRUE(turret);
        EXPECT_EQ(turret->sprite->getTexture(), &AssetManager::instance().GetTexture(turrets[step]));
        EXPECT_EQ(spawner->turretSprite, turret->sprite);
        EXPECT_FLOAT_EQ(status->damage, damages[step]);
        EXPECT_FLOAT_EQ(status->fireInterval, intervals[step]);
    }
    EXPECT_EQ(ui.money, 0);
    EXPECT_EQ(upgrade->level, 4);
    EXPECT_EQ(spawner->barrelOffsets, (std::vector<sf::Vector2f>{{0.f, -5.f}, {0.f, 5.f}}));
}

TEST_F(GameplayConfig, ASmallRocketTowerChangesItsRocketsWithItsUpgrades)
{
    const auto tower = Tower(2);
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto status = Status(*tower);
    const char* rockets[] = {"rocketSmallUpgrade1", "rocketSmallBase", "rocketSmallUpgrade1"};
    const float damages[] = {100.f, 125.f, 125.f};
    for (int step = 0; step < 3; ++step)
    {
        GameConfig::instance().applyUpgrade(*tower);
        EXPECT_EQ(spawner->projectileSprite->getTexture(),
                  &AssetManager::instance().GetTexture(rockets[step]));
        EXPECT_FLOAT_EQ(status->damage, damages[step]);
        EXPECT_EQ(spawner->barrelOffsets.size(), 2u);
    }
}
