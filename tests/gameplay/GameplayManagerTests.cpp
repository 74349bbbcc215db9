// The contact rules: damage, kills and rewards, enemies at the base, defeat, the cursor's
// building permission and its upgrade click.

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
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "services/SoundManager.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Sprite.hpp>

namespace
{
class GameplayEconomy : public GameplayTest
{
};
} // namespace

TEST_F(GameplayEconomy, AProjectileTakesItsFullDamageOncePerContact)
{
    auto& ui = GameCounters::instance();
    vgui::Gui bars;
    const testing_support::HealthBarsIn shown(bars);
    const auto enemy = Enemy();
    ASSERT_TRUE(enemy->healthBar);
    EXPECT_EQ(enemy->healthBar->getParent(), &bars);
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
    auto& ui = GameCounters::instance();
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
        {0, 1, 300, 20.f, 10, 5, "WeakEnemy_7"},    {0, 4, 600, 20.f, 10, 5, "WeakEnemy_7"},
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
    auto& ui = GameCounters::instance();
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

TEST_F(GameplayEconomy, TheCursorBlocksBuildingOnBodiesAndUpgradesOnAClick)
{
    auto& config = GameConfig::instance();
    auto& ui = GameCounters::instance();
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
    GameplayManager::instance().cursorInput->selectedTower = 1;
    GameplayManager::instance().HandleCollision(cursorBox.get(), towerBox);
    EXPECT_EQ(upgrade->level, 1);
    EXPECT_EQ(ui.money, 1000);
    // With no selection it does, once, though both cursor shapes report the click.
    GameplayManager::instance().cursorInput->selectedTower = 0;
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
