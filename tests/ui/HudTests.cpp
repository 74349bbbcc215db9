// The heads-up display: change texts, wave announcement, repair, tower choice and icons.

#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Waves.hpp"
#include "services/GameCounters.hpp"
#include "tests/ui/UiTestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

using testing_support::PressButton;
using testing_support::ScratchGame;

namespace
{

class HudTest : public testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetUi();
        testing_support::LoadAssets();
        ui.LoadScreen("../assets/hud.txt", HudScreen);
        CreatePlayerCursor();
        ASSERT_TRUE(ui.cursorInput);
    }

    vgui::TextArea& Area(const char* name)
    {
        const auto area = ui.gui->get<vgui::TextArea>(name);
        if (!area)
            ADD_FAILURE() << "no text area " << name;
        static auto spare = vgui::TextArea::create();
        return area ? *area : *spare;
    }

    // Visible, text and colour of one change text.
    void ExpectChange(const char* name, const std::string& text, sf::Color colour)
    {
        SCOPED_TRACE(name);
        auto& area = Area(name);
        EXPECT_TRUE(area.isVisible());
        EXPECT_EQ(area.getText(), text);
        EXPECT_EQ(area.getRenderer()->getTextColor(), colour);
    }

    std::shared_ptr<StatusComponent> AddBase(std::uint32_t health, std::uint32_t maxHealth)
    {
        auto base = std::make_shared<GameObject>(ObjectType::Base, "Base");
        auto status = std::make_shared<StatusComponent>(base.get());
        status->health = health;
        status->maxHealth = maxHealth;
        base->AddComponent(status);
        GameObjectManager::instance().AddGameObject(base);
        return status;
    }

    ScratchGame game;
    UIManager& ui = UIManager::instance();
};

TEST_F(HudTest, ChangeTextsSumWhileShowingAndRestartAfterTheyEnd)
{
    EXPECT_FALSE(Area("MoneyAddText").isVisible());
    EXPECT_FALSE(Area("ScoreAddText").isVisible());

    // Two kills half a second apart: one growing total, green, until a second after the last.
    ui.ChangeMoney(5);
    ui.ChangeScore(10);
    ui.UpdateHUD(0.5f);
    ExpectChange("MoneyAddText", "+ 5", sf::Color::Green);
    ExpectChange("ScoreAddText", "+ 10", sf::Color::Green);
    ui.ChangeMoney(5);
    ui.ChangeScore(10);
    for (float dt : {0.6f, 0.39f})
    {
        ui.UpdateHUD(dt);
        ExpectChange("MoneyAddText", "+ 10", sf::Color::Green);
        ExpectChange("ScoreAddText", "+ 20", sf::Color::Green);
    }
    ui.UpdateHUD(0.02f); // the timer is still positive when this frame starts
    EXPECT_TRUE(Area("MoneyAddText").isVisible());
    ui.UpdateHUD(0.02f);
    EXPECT_FALSE(Area("MoneyAddText").isVisible());
    EXPECT_FALSE(Area("ScoreAddText").isVisible());
    EXPECT_FALSE(ui.changeTextActive);
    EXPECT_EQ(ui.moneyChange, 0);
    EXPECT_EQ(ui.scoreChange, 0);
    EXPECT_EQ(ui.money, 10);
    EXPECT_EQ(ui.score, 20);

    // A purchase afterwards starts from zero: red, with the untouched score shown as a red 0.
    ui.money = 150;
    ui.ChangeMoney(-50);
    ui.UpdateHUD(0.1f);
    ExpectChange("MoneyAddText", "-50", sf::Color::Red);
    ExpectChange("ScoreAddText", "0", sf::Color::Red);
    EXPECT_EQ(Area("MoneyText").getText(), "100");
    EXPECT_EQ(Area("ScoreText").getText(), "20");
}

TEST_F(HudTest, WaveAnnouncementShowsTheNumberAndRestartsWithANewWave)
{
    const auto beginWave = [this]
    {
        ui.wave += 1;
        ui.waveTextActive = true;
        ui.waveTextTimer = 2.f;
    };
    ui.wave = 2;
    beginWave();
    ui.UpdateHUD(1.5f);
    EXPECT_TRUE(Area("WaveText").isVisible());
    EXPECT_EQ(Area("WaveText").getText(), "Wave Nr: 3");

    beginWave(); // half a second before the old one would have ended
    for (float dt : {1.5f, 0.4f, 0.2f})
    {
        ui.UpdateHUD(dt);
        EXPECT_TRUE(Area("WaveText").isVisible());
        EXPECT_EQ(Area("WaveText").getText(), "Wave Nr: 4");
    }
    ui.UpdateHUD(0.f);
    EXPECT_FALSE(Area("WaveText").isVisible());
    EXPECT_FALSE(ui.waveTextActive);
}

TEST_F(HudTest, TimersStandStillOutsideTheHudAndTheNextHudShowsTheLeftovers)
{
    ui.ChangeMoney(25);
    ui.wave = 6;
    ui.waveTextActive = true;
    ui.waveTextTimer = 2.f;
    ui.UpdateHUD(0.25f);

    ui.money = 77;
    ui.LoadScreen("../assets/loseScreen.txt", LoseScreen);
    const std::string loseMoney = Area("MoneyText").getText();
    for (int frame = 0; frame < 10; ++frame)
        ui.UpdateHUD(1.f);
    EXPECT_FLOAT_EQ(ui.changeTextTimer, 0.75f);
    EXPECT_FLOAT_EQ(ui.waveTextTimer, 1.75f);
    EXPECT_TRUE(ui.changeTextActive);
    EXPECT_TRUE(ui.waveTextActive);
    EXPECT_EQ(ui.moneyChange, 25);
    ui.money = 1;
    ui.UpdateHUD(0.1f);
    EXPECT_EQ(Area("MoneyText").getText(), loseMoney) << "the lose screen's money is not refreshed";

    // The next game's HUD starts hidden, then shows the old amounts until their time is up.
    ui.LoadScreen("../assets/hud.txt", HudScreen);
    EXPECT_FALSE(Area("MoneyAddText").isVisible());
    EXPECT_FALSE(Area("WaveText").isVisible());
    ui.wave = 1;
    ui.UpdateHUD(0.5f);
    ExpectChange("MoneyAddText", "+ 25", sf::Color::Green);
    EXPECT_EQ(Area("WaveText").getText(), "Wave Nr: 1");
    ui.UpdateHUD(0.3f);
    EXPECT_TRUE(Area("MoneyAddText").isVisible());
    ui.UpdateHUD(0.1f);
    EXPECT_FALSE(Area("MoneyAddText").isVisible());
    EXPECT_TRUE(Area("WaveText").isVisible());
}

TEST_F(HudTest, TimersRunWithoutTheirTextWidgets)
{
    game.WriteAsset("hud.txt", "TextArea.MoneyText { Size = (100, 30); }");
    ui.LoadScreen("../assets/hud.txt", HudScreen);
    ui.ChangeScore(10);
    ui.waveTextActive = true;
    ui.waveTextTimer = 2.f;
    ui.UpdateHUD(2.5f);
    EXPECT_FLOAT_EQ(ui.changeTextTimer, -1.5f);
    EXPECT_FLOAT_EQ(ui.waveTextTimer, -0.5f);
    ui.UpdateHUD(0.1f);
    EXPECT_FALSE(ui.changeTextActive);
    EXPECT_FALSE(ui.waveTextActive);
    EXPECT_EQ(ui.scoreChange, 0);
}

TEST_F(HudTest, RepairButtonPaysOnlyForADamagedBaseAndEnoughMoney)
{
    auto status = AddBase(100, 100);
    ui.money = 500;
    PressButton(*ui.gui, "RepairButton");
    EXPECT_EQ(status->health, 100u);
    EXPECT_EQ(status->maxHealth, 100u);
    EXPECT_EQ(ui.money, 500);
    EXPECT_FALSE(ui.changeTextActive);

    status->health = 30;
    ui.money = 99;
    PressButton(*ui.gui, "RepairButton");
    EXPECT_EQ(status->health, 30u);
    EXPECT_EQ(ui.money, 99);
    EXPECT_FALSE(ui.changeTextActive);

    ui.money = 100;
    PressButton(*ui.gui, "RepairButton");
    EXPECT_EQ(status->health, 80u);
    EXPECT_EQ(status->maxHealth, 150u);
    EXPECT_EQ(ui.money, 0);
    EXPECT_EQ(ui.moneyChange, -100);
    EXPECT_TRUE(ui.changeTextActive);
    ui.UpdateHUD(0.1f);
    ExpectChange("MoneyAddText", "-100", sf::Color::Red);
    ExpectChange("ScoreAddText", "0", sf::Color::Red);

    // Still short of full health: a second repair goes through at the same price.
    ui.money = 100;
    PressButton(*ui.gui, "RepairButton");
    EXPECT_EQ(status->health, 130u);
    EXPECT_EQ(status->maxHealth, 200u);
    EXPECT_EQ(ui.moneyChange, -200);
}

TEST_F(HudTest, TowerButtonsToggleAndSwitchTheSelection)
{
    auto& selected = ui.cursorInput->selectedTower;
    PressButton(*ui.gui, "BulletTowerButton");
    EXPECT_EQ(selected, 1);
    PressButton(*ui.gui, "BulletTowerButton");
    EXPECT_EQ(selected, 0);
    PressButton(*ui.gui, "BulletTowerButton");
    PressButton(*ui.gui, "RocketTowerBigButton");
    EXPECT_EQ(selected, 3);
    PressButton(*ui.gui, "RocketTowerSmallButton");
    EXPECT_EQ(selected, 2);
    PressButton(*ui.gui, "RocketTowerSmallButton");
    EXPECT_EQ(selected, 0);
}

TEST_F(HudTest, IconsFollowTheMoneyEveryFrame)
{
    struct Icon
    {
        const char* button;
        std::int32_t price;
        const char* active;
        const char* inactive;
    };
    const Icon icons[] = {
        {"BulletTowerButton", 50, "hud_icon_bullet_tower_active.png", "hud_icon_bullet_tower.png"},
        {"RocketTowerSmallButton", 150, "hud_icon_rocket_tower_small_active.png",
         "hud_icon_rocket_tower_small.png"},
        {"RocketTowerBigButton", 300, "hud_icon_rocket_tower_big_active.png",
         "hud_icon_rocket_tower_big.png"},
        {"RepairButton", 100, "hud_life_repair_active.png", "hud_life_repair.png"},
    };
    const auto pixels = [](const sf::Image& image)
    {
        const sf::Uint8* data = image.getPixelsPtr();
        return std::vector<sf::Uint8>(data, data + image.getSize().x * image.getSize().y * 4);
    };
    const auto fileImage = [&](const char* file)
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile("../assets/" + std::string(file)));
        return pixels(image);
    };

    for (const auto& icon : icons)
    {
        SCOPED_TRACE(icon.button);
        const auto active = fileImage(icon.active);
        const auto inactive = fileImage(icon.inactive);
        ASSERT_NE(active, inactive) << "the two icon files must differ for this check to mean anything";
        const auto button = ui.gui->get<vgui::BitmapButton>(icon.button);
        ASSERT_TRUE(button);
        // Up and down across the price in consecutive frames.
        for (const std::int32_t money :
             {icon.price - 1, icon.price, icon.price + 1, icon.price - 1, 0, icon.price})
        {
            ui.money = money;
            ui.UpdateHUD(1.f / 60.f);
            const auto image = button->getImage();
            ASSERT_TRUE(image);
            EXPECT_EQ(pixels(image->copyToImage()), money >= icon.price ? active : inactive)
                << "money " << money;
        }
    }
    EXPECT_EQ(ui.gui->get<vgui::TextArea>("MoneyText")->getText(), "100");
}

// An enemy at the keep: its loss shows over the keep for a second, adding up with the next one,
// and the keep's two bars (in the top bar and over the keep) light up for a moment, then take
// their own look again.
TEST_F(HudTest, TheKeepsLossShowsAtTheKeepAndItsBarsFlash)
{
    const auto status = AddBase(500, 500);
    const auto keep = GameObjectManager::instance().FindByName("Base");
    keep->setPosition(1180.f, 420.f);
    const auto bar = ui.gui->get<vgui::ProgressBar>("KeepBar");
    ASSERT_TRUE(bar);
    ui.UpdateHUD(1.f / 60.f);
    const sf::Color border = bar->getRenderer()->getBorderColor();
    const sf::Color keepBorder = keep->healthBar->getRenderer()->getBorderColor();
    EXPECT_FALSE(Area("KeepHitText").isVisible());

    GameCounters::instance().HitKeep(20, keep->getPosition());
    ui.UpdateHUD(1.f / 60.f);
    EXPECT_TRUE(Area("KeepHitText").isVisible());
    EXPECT_EQ(Area("KeepHitText").getText(), "-20");
    const sf::Vector2f at = Area("KeepHitText").getPosition() + Area("KeepHitText").getSize() / 2.f;
    EXPECT_NEAR(at.x, 1180.f - 0.f, 60.f);
    EXPECT_LT(at.y, 420.f - 100.f) << "above the keep's own bar";
    EXPECT_NE(bar->getRenderer()->getBorderColor(), border);
    EXPECT_NE(keep->healthBar->getRenderer()->getBorderColor(), keepBorder);

    GameCounters::instance().HitKeep(40, keep->getPosition());
    ui.UpdateHUD(0.1f);
    EXPECT_EQ(Area("KeepHitText").getText(), "-60");
    for (int frame = 0; frame < 40; ++frame)
        ui.UpdateHUD(1.f / 60.f);
    EXPECT_EQ(bar->getRenderer()->getBorderColor(), border);
    EXPECT_EQ(keep->healthBar->getRenderer()->getBorderColor(), keepBorder);
    EXPECT_TRUE(Area("KeepHitText").isVisible());
    for (int frame = 0; frame < 30; ++frame)
        ui.UpdateHUD(1.f / 60.f);
    EXPECT_FALSE(Area("KeepHitText").isVisible());
    EXPECT_EQ(status->health, 500u) << "the HUD only shows";
}

// While a wave is being released the bar says what it still holds, by kind; between waves it
// counts down to the next.
TEST_F(HudTest, TheBarSaysWhatTheRunningWaveStillHolds)
{
    auto owner = std::make_shared<GameObject>(ObjectType::Spawner, "Spawner");
    auto spawner = std::make_shared<EnemySpawnerComponent>(owner.get(), 3, 6, 10);
    owner->AddComponent(spawner);
    GameObjectManager::instance().AddGameObject(owner);
    GameplayManager::instance().spawner = spawner;
    spawner->queue = {WeakEnemy, MiddleEnemy, WeakEnemy, HardEnemy, WeakEnemy};
    ui.UpdateHUD(1.f / 60.f);
    EXPECT_EQ(Area("NextWaveText").getText(), "3 weak, 1 middle, 1 hard to come");
    spawner->queue.assign(1200, WeakEnemy);
    ui.UpdateHUD(1.f / 60.f);
    EXPECT_EQ(Area("NextWaveText").getText(), "1,200 weak to come");
}

} // namespace
