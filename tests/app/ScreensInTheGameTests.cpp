// The screens as the game's states use them: the lose screen's way back leaves the game, and a
// level that cannot make a game that ends stops it and leads back to the menu, in the game's own
// frames.

#include "app/GamePlay.hpp"
#include "app/MainMenu.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/GameStateManager.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

using testing_support::Lines;
using testing_support::PressButton;

namespace
{
class ScreenTest : public testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetWorld();
        testing_support::LoadAssets();
    }
    void TearDown() override { testing_support::ResetWorld(); }

    testing_support::ScratchGame game;
    UIManager& ui = UIManager::instance();
};
} // namespace

TEST_F(ScreenTest, LoseScreenReturnLeavesTheGameWithCountersAtZeroAndTheNameKept)
{
    MainMenu menu;
    GamePlay play;
    auto& states = GameStateManager::instance();
    states.AddState("MainMenu", &menu);
    states.AddState("GamePlay", &play);
    states.currentState = &play; // a game that has just been lost

    ui.playerName = "Last One";
    ui.money = 35;
    ui.score = 120;
    ui.wave = 4;
    ui.LoadScreen("../assets/loseScreen.txt", LoseScreen);
    PressButton(*ui.gui, "ReturnButton");

    EXPECT_EQ(states.currentState, &menu);
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);
    EXPECT_TRUE(ui.gui->get<vgui::Button>("PlayGameButton"));
    EXPECT_EQ(ui.money, 0);
    EXPECT_EQ(ui.score, 0);
    EXPECT_EQ(ui.wave, 0);
    EXPECT_EQ(ui.playerName, "Last One");
}

TEST_F(ScreenTest, AnUnplayableLevelStopsAndLeadsBackToTheMenuAndTheMenuOutOfTheGame)
{
    game.WriteAsset("game.tmj", "{ \"width\": 3, ");
    testing_support::GameDriver driver;
    testing::internal::CaptureStdout();
    driver.StartGame();
    const auto printed = Lines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].rfind("Parse error: ../assets/game.tmj: ", 0), 0u) << printed[0];
    EXPECT_FALSE(GameplayManager::instance().running);
    const auto message = ui.gui->get<vgui::TextArea>("FallbackMessage");
    ASSERT_TRUE(message);
    EXPECT_NE(message->getText().find(printed[0].substr(13)), std::string::npos) << message->getText();
    driver.Frame(1.f / 60.f);

    PressButton(*ui.gui, "FallbackBack to the menu");
    EXPECT_EQ(GameStateManager::instance().currentState, &driver.game->mainMenu);
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);

    // With the main menu's form broken too, its built-in screen still ends the game.
    game.WriteAsset("mainMenu.txt", "");
    testing::internal::CaptureStderr();
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    (void)testing::internal::GetCapturedStderr();
    PressButton(*ui.gui, "FallbackExit the game");
    EXPECT_FALSE(driver.window->isOpen());
}
