// Screens that cannot be used: each says what is wrong in one line and leaves the player buttons
// that lead on, and those buttons do lead on. (A level that cannot be played, in the game's own
// frames: tests/app/ScreensInTheGameTests.cpp.)

#include "gameplay/GameplayManager.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "tests/ui/UiTestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

using testing_support::Lines;
using testing_support::PressButton;

namespace
{
class ScreenCheck : public testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetUi();
        testing_support::LoadAssets();
    }
    void TearDown() override { testing_support::ResetUi(); }

    testing_support::ScratchGame game;
    UIManager& ui = UIManager::instance();
};
} // namespace

TEST_F(ScreenCheck, EachUnusableScreenSaysWhyOnceAndLeadsOn)
{
    const struct
    {
        const char* file;
        const char* content;
        ScreenKind kind;
        std::vector<std::string> lines; // on standard error
        std::vector<std::string> buttons;
        const char* kept; // a widget of the form that stays, or null when the form failed
    } cases[] = {
        {"mainMenu.txt",
         "Label.PlayGameButton { Text = \"Play\"; }\n"
         "Button.PlayGameButton { Position = (10, 10); Size = (100, 40); }\n"
         "Button.ExitGameButton { Position = (10, 60); Size = (100, 40); }",
         MainMenuScreen,
         {"../assets/mainMenu.txt: \"PlayGameButton\" is a Label, not a Button; the game cannot use it"},
         {"FallbackPlay", "FallbackExit the game"},
         "ExitGameButton"},
        {"credits.txt",
         "Label.ReturnButton { Text = \"Back\"; }",
         CreditsScreen,
         {"../assets/credits.txt: \"ReturnButton\" is a Label, not a Button; the game cannot use it"},
         {"FallbackBack to the menu", "FallbackExit the game"},
         "ReturnButton"},
        {"controls.txt",
         "Label.Title { Text = \"Keys\"; }",
         ControlsScreen,
         {"../assets/controls.txt: there is no Button named \"ReturnButton\""},
         {"FallbackBack to the menu", "FallbackExit the game"},
         "Title"},
        {"loseScreen.txt",
         "GARBAGE {{ = ;; }",
         LoseScreen,
         {"Failed to load widgets from file: ../assets/loseScreen.txt: Error while parsing input at line 1. "
          "Expected a key or a section, found '{' instead."},
         {"FallbackBack to the menu", "FallbackExit the game"},
         nullptr},
        {"hud.txt",
         "Label.MoneyText { Text = \"0\"; }",
         HudScreen,
         {"../assets/hud.txt: \"MoneyText\" is a Label, not a TextArea; the game cannot use it"},
         {},
         "MoneyText"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        game.WriteAsset(c.file, c.content);
        testing::internal::CaptureStderr();
        ui.LoadScreen(std::string("../assets/") + c.file, c.kind);
        const auto lines = Lines(testing::internal::GetCapturedStderr());
        // The lose screen also says that there is no record yet; the form's line comes first.
        ASSERT_GE(lines.size(), c.lines.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(c.lines.size())),
                  c.lines);
        for (const auto& button : c.buttons)
            EXPECT_TRUE(ui.gui->get<vgui::Button>(button)) << button;
        EXPECT_EQ(static_cast<bool>(ui.gui->get("FallbackMessage")), !c.buttons.empty());
        if (c.kept)
        {
            EXPECT_TRUE(ui.gui->get(c.kept)) << c.kept;
        }
    }
    // The way back from the broken side screen is the shipped main menu.
    game.WriteAsset("mainMenu.txt",
                    testing_support::ReadFile((testing_support::SourceAssets() / "mainMenu.txt").string()));
    game.WriteAsset("credits.txt", "Label.ReturnButton { }");
    ui.LoadScreen("../assets/credits.txt", CreditsScreen);
    PressButton(*ui.gui, "FallbackBack to the menu");
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);
    EXPECT_TRUE(ui.gui->get<vgui::Button>("PlayGameButton"));
}

// The two forms that had no built-in screen: the HUD and the settings panel get stand-ins that
// the game wires as it wires the forms, and the line names the file and the line in it.
TEST_F(ScreenCheck, TheHudAndTheSettingsPanelGetStandInsThatWork)
{
    const std::string broken = "Label.Title {\n  Text = \"x\";\n  TextSize = 1e9;\n}\n";
    game.WriteAsset("hud.txt", broken);
    game.WriteAsset("settings.txt", broken);

    testing::internal::CaptureStderr();
    ui.LoadScreen("../assets/hud.txt", HudScreen);
    auto lines = Lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Failed to load widgets from file: ../assets/hud.txt: Error while loading "
                             "'Label.Title' at line 3: ",
                             0),
              0u)
        << lines[0];
    for (const char* name :
         {"BulletTowerButton", "RocketTowerSmallButton", "RocketTowerBigButton", "RepairButton"})
        EXPECT_TRUE(ui.gui->get<vgui::BitmapButton>(name)) << name;
    for (const char* name : {"MoneyText", "ScoreText", "WaveText", "MoneyAddText", "ScoreAddText"})
        EXPECT_TRUE(ui.gui->get<vgui::TextArea>(name)) << name;
    const auto message = ui.gui->get<vgui::TextArea>("StandInMessage");
    ASSERT_TRUE(message);
    EXPECT_NE(message->getText().find("../assets/hud.txt"), std::string::npos) << message->getText();
    // Wired as the form is: the counters follow the game, the pause button pauses.
    ui.money = 275;
    ui.UpdateHUD(0.f);
    EXPECT_EQ(ui.gui->get<vgui::TextArea>("MoneyText")->getText(), "275");
    PressButton(*ui.gui, "PauseButton");
    EXPECT_TRUE(GameplayManager::instance().paused);
    GameplayManager::instance().paused = false;

    // The settings panel, opened from the shipped main menu: its stand-in changes the volume.
    game.WriteAsset("mainMenu.txt",
                    testing_support::ReadFile((testing_support::SourceAssets() / "mainMenu.txt").string()));
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    testing::internal::CaptureStderr();
    PressButton(*ui.gui, "SettingsButton");
    PressButton(*ui.gui, "VolumeDownButton");
    lines = Lines(testing::internal::GetCapturedStderr());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("Failed to load widgets from file: ../assets/settings.txt: Error while loading "
                             "'Label.Title' at line 3: ",
                             0),
              0u)
        << lines[0];
    EXPECT_EQ(Settings::instance().volume, Settings::MaxVolume - 10);
    EXPECT_EQ(ui.gui->get<vgui::TextArea>("VolumeText")->getText(), "Effects volume: 90");
    PressButton(*ui.gui, "SettingsCloseButton");
    EXPECT_FALSE(ui.gui->get("SettingsPanel"));
    EXPECT_TRUE(ui.gui->get<vgui::Button>("PlayGameButton")) << "the menu under it stays";
    Settings::instance().Reset();
}
