// Contacts turned into damage, rewards and base hits; building and upgrading against the prices;
// the cursor's building permission and its upgrade click.

#include "tests/gameplay/GameplayFixture.hpp"

#include "app/services/AssetManager.hpp"
#include "app/services/InputManager.hpp"
#include "app/services/SoundManager.hpp"
#include "gameplay/Cursor.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Sprite.hpp>

namespace
{
class GameplayEconomy : public GameplayTest
{
protected:
    std::shared_ptr<GameObject> Enemy(int kind = 0, int wave = 1, sf::Vector2f at = {300.f, 300.f})
    {
        CreateEnemy(7, kind, wave, at.x, at.y);
        return Last();
    }
    std::shared_ptr<GameObject> Projectile(float damage, sf::Vector2f at = {300.f, 300.f})
    {
        const auto shooter = Tower(1, at);
        auto sprite = std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture("projectile"));
        return CreateProjectile(sprite, shooter.get(), damage, {});
    }
    std::shared_ptr<GameObject> Tower(int kind, sf::Vector2f at = {200.f, 200.f})
    {
        CreateTower(kind, at.x, at.y);
        return OfType(ObjectType::Tower).back();
    }
    std::shared_ptr<GameObject> Base()
    {
        LoadMap(UseMap("two_bases.tmj"), {});
        return OfType(ObjectType::Base).front();
    }
    static std::shared_ptr<StatusComponent> Status(const GameObject& object)
    {
        return object.GetComponent<StatusComponent>();
    }
    static void Hit(const GameObject& projectile, const GameObject& enemy)
    {
        Contact(Collider<PixelCollisionComponent>(projectile), Collider<PixelCollisionComponent>(enemy));
    }
};
} // namespace

TEST_F(GameplayEconomy, AProjectileTakesItsFullDamageOncePerContact)
{
    auto& ui = UIManager::instance();
    const auto enemy = Enemy();
    ASSERT_EQ(Status(*enemy)->health, 300u);
    const auto shot = Projectile(50.f);
    Hit(*shot, *enemy);
    EXPECT_EQ(Status(*enemy)->health, 250u) << "two reports of 25";
    EXPECT_FALSE(shot->alive);
    EXPECT_TRUE(enemy->alive);

    // Six hits of an unupgraded tower kill a weak enemy of wave 1; the kill pays once.
    for (int hit = 2; hit <= 5; ++hit)
        Hit(*Projectile(50.f), *enemy);
    EXPECT_EQ(Status(*enemy)->health, 50u);
    EXPECT_TRUE(enemy->alive);
    EXPECT_EQ(ui.money, 0);
    Hit(*Projectile(50.f), *enemy);
    EXPECT_FALSE(enemy->alive);
    EXPECT_EQ(Status(*enemy)->health, 0u);
    EXPECT_EQ(ui.money, 5);
    EXPECT_EQ(ui.score, 10);
    EXPECT_EQ(ui.moneyChange, 5);
    EXPECT_EQ(ui.scoreChange, 10);
    EXPECT_TRUE(ui.changeTextActive);
    EXPECT_FLOAT_EQ(ui.changeTextTimer, 1.f);
    ASSERT_TRUE(enemy->healthBar);
    EXPECT_EQ(enemy->healthBar->getParent(), nullptr) << "a dead enemy's bar is taken away";
}

TEST_F(GameplayEconomy, AKillLargerThanTheHealthPaysOnceAtTheFirstReport)
{
    auto& ui = UIManager::instance();
    const auto enemy = Enemy(2, 3);
    EXPECT_EQ(Status(*enemy)->health, 1350u) << "hard enemy of wave 3";
    Status(*enemy)->health = 20;
    const auto shot = Projectile(50.f);
    auto enemyPixels = Collider<PixelCollisionComponent>(*enemy);
    auto shotPixels = Collider<PixelCollisionComponent>(*shot);
    enemyPixels->SetColliding();
    shotPixels->SetColliding();
    // First report alone already kills.
    GameplayManager::instance().HandleCollision(shotPixels.get(), enemyPixels);
    EXPECT_FALSE(enemy->alive);
    EXPECT_EQ(Status(*enemy)->health, 0u);
    EXPECT_EQ(ui.money, 25);
    EXPECT_EQ(ui.score, 100);
    GameplayManager::instance().HandleCollision(enemyPixels.get(), shotPixels);
    EXPECT_EQ(ui.money, 25);
    EXPECT_EQ(ui.score, 100);
}

TEST_F(GameplayEconomy, EnemyHealthAndRewardsFollowTheWave)
{
    struct Row
    {
        int kind, wave;
        unsigned health;
        float damage;
        int score, money;
        const char* name;
    };
    const Row rows[] = {
        {0, 1, 300, 20.f, 10, 5, "WeakEnemy_7"},   {0, 4, 600, 20.f, 10, 5, "WeakEnemy_7"},
        {1, 3, 850, 40.f, 50, 15, "MiddleEnemy_7"}, {2, 3, 1350, 60.f, 100, 25, "HardEnemy_7"},
        {2, 6, 2100, 60.f, 100, 25, "HardEnemy_7"},
    };
    for (const Row& row : rows)
    {
        const auto enemy = Enemy(row.kind, row.wave, {40.f, 50.f});
        const auto status = Status(*enemy);
        SCOPED_TRACE(row.name + std::string(" wave ") + std::to_string(row.wave));
        EXPECT_EQ(enemy->name, row.name);
        EXPECT_EQ(enemy->getPosition(), sf::Vector2f(40.f, 50.f));
        EXPECT_EQ(status->health, row.health);
        EXPECT_EQ(status->maxHealth, row.health);
        EXPECT_EQ(status->damage, row.damage);
        EXPECT_EQ(status->scoreReward, row.score);
        EXPECT_EQ(status->moneyReward, row.money);
        EXPECT_EQ(status->speed, 100.f);
        const auto circle = Collider<CircleCollisionComponent>(*enemy);
        ASSERT_TRUE(circle);
        EXPECT_EQ(circle->shape.getRadius(), 17.5f);
    }
}

TEST_F(GameplayEconomy, AnEnemyAtTheBaseCostsItsDamageAndSoundsTwice)
{
    auto& ui = UIManager::instance();
    const auto base = Base();
    ASSERT_EQ(Status(*base)->health, 100u);
    const auto enemy = Enemy(0, 1, base->getPosition());
    auto& sounds = SoundManager::instance().playing;
    const std::size_t before = sounds.size();
    Contact(Collider<CircleCollisionComponent>(*enemy), Collider<BoxCollisionComponent>(*base));
    EXPECT_FALSE(enemy->alive);
    EXPECT_EQ(Status(*base)->health, 80u);
    EXPECT_EQ(sounds.size(), before + 2) << "baseDamage on both reports";
    EXPECT_EQ(ui.money, 0);
    EXPECT_EQ(ui.score, 0);
    EXPECT_TRUE(base->alive);

    // Four more weak enemies bring a 100-point base to zero: it dies and the game ends at the end
    // of the frame.
    for (int i = 0; i < 4; ++i)
        Contact(Collider<CircleCollisionComponent>(*Enemy(0, 1, base->getPosition())),
                Collider<BoxCollisionComponent>(*base));
    EXPECT_EQ(Status(*base)->health, 0u);
    EXPECT_FALSE(base->alive);
    EXPECT_EQ(ui.money, 0);
}

TEST_F(GameplayEconomy, TheSecondOfSeveralBasesDyingEndsTheGame)
{
    auto& gameplay = GameplayManager::instance();
    LoadMap(UseMap("two_bases.tmj"), {});
    const auto bases = OfType(ObjectType::Base);
    ASSERT_EQ(bases.size(), 2u);
    EXPECT_EQ(Status(*bases[1])->health, 100u) << "100.9 is truncated";
    gameplay.running = true;
    EXPECT_TRUE(testing_support::StepWorld(1.f / 60.f));
    bases[1]->Destroy();
    EXPECT_FALSE(testing_support::StepWorld(1.f / 60.f));
    EXPECT_EQ(UIManager::instance().currentScreen, LoseScreen);
    // After defeat the world stands still.
    const auto enemy = Enemy(0, 1, {10.f, 10.f});
    Collider<RigidBodyComponent>(*enemy)->velocity = {100.f, 0.f};
    testing_support::StepWorld(1.f / 60.f);
    EXPECT_EQ(enemy->getPosition(), sf::Vector2f(10.f, 10.f));
}

TEST_F(GameplayEconomy, TowersCostTheirPriceAndATieBuys)
{
    auto& ui = UIManager::instance();
    auto& config = GameConfig::instance();
    CreatePlayerCursor();
    auto& selected = ui.cursorInput->selectedTower;

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

TEST_F(GameplayEconomy, UpgradePricesGrowWithTheLevelUpToTheLimit)
{
    auto& ui = UIManager::instance();
    auto& config = GameConfig::instance();
    struct Case
    {
        std::shared_ptr<GameObject> object;
        std::vector<int> prices;
    };
    Case cases[] = {{Tower(1), {75, 150, 225}}, {Tower(2), {100, 200, 300}}, {Base(), {150, 300}}, {Tower(3), {}}};
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
            // Exactly the price: bought, then locked.
            ui.money = prices[step];
            config.tryUpgrade(*object);
            EXPECT_EQ(upgrade->level, static_cast<int>(step) + 2);
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
    }
}

TEST_F(GameplayEconomy, TheUpgradeLockLastsAboutHalfASecond)
{
    auto& ui = UIManager::instance();
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

TEST_F(GameplayEconomy, TheBaseGrowsByHalfItsHealthAndChangesItsPicture)
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

TEST_F(GameplayEconomy, ABulletTowerAfterThreeUpgrades)
{
    auto& ui = UIManager::instance();
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
            if (auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component); render && ++seen == 2)
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

TEST_F(GameplayEconomy, ASmallRocketTowerChangesItsRocketsWithItsUpgrades)
{
    const auto tower = Tower(2);
    const auto spawner = tower->GetComponent<SpawnerComponent>();
    const auto status = Status(*tower);
    const char* rockets[] = {"rocketSmallUpgrade1", "rocketSmallBase", "rocketSmallUpgrade1"};
    const float damages[] = {100.f, 125.f, 125.f};
    for (int step = 0; step < 3; ++step)
    {
        GameConfig::instance().applyUpgrade(*tower);
        EXPECT_EQ(spawner->projectileSprite->getTexture(), &AssetManager::instance().GetTexture(rockets[step]));
        EXPECT_FLOAT_EQ(status->damage, damages[step]);
        EXPECT_EQ(spawner->barrelOffsets.size(), 2u);
    }
}

TEST_F(GameplayEconomy, TheCursorBlocksBuildingOnBodiesAndUpgradesOnAClick)
{
    auto& config = GameConfig::instance();
    auto& ui = UIManager::instance();
    auto& input = InputManager::instance();
    CreatePlayerCursor();
    const auto tower = Tower(1, {200.f, 200.f});
    const auto cursor = GameObjectManager::instance().FindByName("Mouse");
    ASSERT_TRUE(cursor);
    const auto cursorBox = Collider<BoxCollisionComponent>(*cursor);
    const auto towerBox = Collider<BoxCollisionComponent>(*tower);
    const auto detector = Collider<CircleCollisionComponent>(*tower);
    ASSERT_TRUE(cursorBox && towerBox && detector);
    const auto upgrade = tower->GetComponent<UpgradeStateComponent>();
    ui.money = 1000;

    // Over the detection circle only: building stays allowed.
    config.buildAllowed = true;
    GameplayManager::instance().HandleCollision(cursorBox.get(), detector);
    EXPECT_TRUE(config.buildAllowed);
    // Over the tower's box: not allowed. Without a click nothing is bought.
    GameplayManager::instance().HandleCollision(cursorBox.get(), towerBox);
    EXPECT_FALSE(config.buildAllowed);
    EXPECT_EQ(upgrade->level, 1);

    // A click with a tower kind selected does not upgrade.
    input.mousePressed[sf::Mouse::Left] = true;
    ui.cursorInput->selectedTower = 1;
    GameplayManager::instance().HandleCollision(cursorBox.get(), towerBox);
    EXPECT_EQ(upgrade->level, 1);
    EXPECT_EQ(ui.money, 1000);
    // With no selection it does, once, though both cursor shapes report the click.
    ui.cursorInput->selectedTower = 0;
    config.buildAllowed = true;
    GameplayManager::instance().HandleCollision(cursorBox.get(), towerBox);
    GameplayManager::instance().HandleCollision(Collider<PointCollisionComponent>(*cursor).get(), towerBox);
    EXPECT_EQ(upgrade->level, 2);
    EXPECT_EQ(ui.money, 925);
    // The tower's side of the contact does nothing.
    upgrade->ready = true;
    GameplayManager::instance().HandleCollision(towerBox.get(), cursorBox);
    EXPECT_EQ(upgrade->level, 2);
}

TEST_F(GameplayEconomy, ClickingThroughTheFrameBuildsOnFreeGroundOnly)
{
    auto& ui = UIManager::instance();
    auto& input = InputManager::instance();
    GameplayManager::instance().running = true;
    CreatePlayerCursor();
    ui.money = 200;
    sf::Vector2i mouse(400, 300);
    input.mouseSource = [&mouse] { return mouse; };
    const auto frame = [&](bool click)
    {
        input.Update();
        if (click)
            input.mousePressed[sf::Mouse::Left] = true;
        testing_support::StepWorld(1.f / 60.f);
    };
    // Free ground, nothing selected: a click builds nothing.
    frame(false);
    frame(false);
    frame(true);
    EXPECT_TRUE(OfType(ObjectType::Tower).empty());
    // With kind 1 selected it builds at the mouse.
    ui.cursorInput->selectedTower = 1;
    frame(true);
    ASSERT_EQ(OfType(ObjectType::Tower).size(), 1u);
    EXPECT_EQ(OfType(ObjectType::Tower)[0]->getPosition(), sf::Vector2f(400.f, 300.f));
    EXPECT_EQ(ui.money, 150);
    // Over that tower with kind 1 selected again: no second tower and no upgrade.
    ui.cursorInput->selectedTower = 1;
    frame(false);
    frame(false);
    frame(true);
    EXPECT_EQ(OfType(ObjectType::Tower).size(), 1u);
    EXPECT_EQ(ui.money, 150);
    // A right click drops the selection; then the left click upgrades the tower.
    input.Update();
    input.mousePressed[sf::Mouse::Right] = true;
    testing_support::StepWorld(1.f / 60.f);
    EXPECT_EQ(ui.cursorInput->selectedTower, 0);
    frame(true);
    EXPECT_EQ(OfType(ObjectType::Tower)[0]->GetComponent<UpgradeStateComponent>()->level, 2);
    EXPECT_EQ(ui.money, 75);
}
