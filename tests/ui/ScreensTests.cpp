// Loading screens, the main menu's buttons, the name field and the ways back to the menu.

#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "tests/ui/UiTestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

using testing_support::Lines;
using testing_support::PressButton;
using testing_support::ScratchGame;

namespace
{

const std::string FailPrefix = "Failed to load widgets from file: ";

class ScreenTest : public testing::Test
{
protected:
    void SetUp() override { testing_support::ResetUi(); }

    // Loads a screen and returns the lines it printed on standard error.
    std::vector<std::string> LoadCapturing(const std::string& form, ScreenKind kind)
    {
        testing::internal::CaptureStderr();
        ui.LoadScreen(form, kind);
        return Lines(testing::internal::GetCapturedStderr());
    }

    std::string Text(const char* name)
    {
        const auto area = ui.gui->get<vgui::TextArea>(name);
        return area ? area->getText() : "<absent>";
    }

    ScratchGame game;
    UIManager& ui = UIManager::instance();
};

TEST_F(ScreenTest, LoadingReplacesEveryWidgetAndAFailedFormLeavesTheBuiltInScreenWithOneLine)
{
    // A health bar in the root goes with the screen, like the bars of a lost game's objects.
    const auto bar = vgui::ProgressBar::create();
    ui.gui->add(bar, "Bar");
    EXPECT_TRUE(LoadCapturing("../assets/credits.txt", CreditsScreen).empty());
    EXPECT_FALSE(ui.gui->get("Bar"));
    EXPECT_TRUE(ui.gui->get<vgui::Button>("ReturnButton"));
    const auto creditsCount = ui.gui->getWidgets().size();
    ui.LoadScreen("../assets/credits.txt", CreditsScreen);
    EXPECT_EQ(ui.gui->getWidgets().size(), creditsCount) << "a second load must not stack the widgets";

    struct BadForm
    {
        const char* file;
        const char* content; // nullptr: the file is missing
        ScreenKind kind;
    };
    const BadForm bad[] = {
        {"controls.txt", nullptr, ControlsScreen},
        {"credits.txt", "Button.ReturnButton { Text = \"x\" ", CreditsScreen},
        {"highscore.txt", "", HighscoreScreen},
        {"mainMenu.txt", "Buton.PlayGameButton { }", MainMenuScreen},
    };
    for (const auto& form : bad)
    {
        SCOPED_TRACE(form.file);
        ui.LoadScreen("../assets/hud.txt", HudScreen);
        ASSERT_FALSE(ui.gui->getWidgets().empty());
        if (form.content)
            game.WriteAsset(form.file, form.content);
        else
            game.RemoveAsset(form.file);

        const auto lines = LoadCapturing(std::string("../assets/") + form.file, form.kind);
        // The highscore screen also says once that there is no record to read; only the form
        // line is counted here.
        std::size_t formLines = 0;
        for (const auto& line : lines)
            formLines += line.rfind(FailPrefix, 0) == 0 ? 1u : 0u;
        EXPECT_EQ(formLines, 1u);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().rfind(FailPrefix, 0), 0u) << lines.front();
        EXPECT_GT(lines.front().size(), FailPrefix.size()) << "the widget layer's message follows";
        // Instead of an empty screen, the built-in one says why and leads on.
        const auto message = ui.gui->get<vgui::TextArea>("FallbackMessage");
        ASSERT_TRUE(message);
        EXPECT_NE(message->getText().find(form.file), std::string::npos) << message->getText();
        EXPECT_EQ(ui.currentScreen, form.kind);
    }
}

TEST_F(ScreenTest, EachKindRunsItsOwnHookUpOnly)
{
    game.WriteAsset("highscore.json", "{ \n\"name\" : \"Kept\", \n\"score\" : 9, \n\"wave\" : 2\n }");

    // The HUD form under another kind: the HUD's hook-up would hide the wave text.
    ui.LoadScreen("../assets/hud.txt", ControlsScreen);
    ASSERT_TRUE(ui.gui->get<vgui::TextArea>("WaveText"));
    EXPECT_TRUE(ui.gui->get<vgui::TextArea>("WaveText")->isVisible());
    ui.LoadScreen("../assets/hud.txt", HudScreen);
    EXPECT_FALSE(ui.gui->get<vgui::TextArea>("WaveText")->isVisible());
    ui.LoadScreen("../assets/hud.txt", static_cast<ScreenKind>(9));
    EXPECT_TRUE(ui.gui->get<vgui::TextArea>("WaveText")->isVisible());
    EXPECT_EQ(static_cast<int>(ui.currentScreen), 9);

    // The highscore form as the credits screen: its return button works, its texts stay.
    ui.LoadScreen("../assets/highscore.txt", CreditsScreen);
    EXPECT_EQ(Text("NameText"), "Player: -");
    ui.LoadScreen("../assets/highscore.txt", HighscoreScreen);
    EXPECT_EQ(Text("NameText"), "Player: Kept");
    EXPECT_EQ(Text("WaveText"), "Wave: 2");
    EXPECT_EQ(Text("ScoreText"), "9");

    // The lose form as the highscore screen fills none of the lose texts and keeps the file.
    ui.score = 100;
    ui.LoadScreen("../assets/loseScreen.txt", HighscoreScreen);
    EXPECT_NE(Text("OldHighscoreText"), "You created a new Highscore");
    EXPECT_EQ(testing_support::ReadFile("../assets/highscore.json"),
              "{ \n\"name\" : \"Kept\", \n\"score\" : 9, \n\"wave\" : 2\n }");
}

TEST_F(ScreenTest, ThePlayerNameIsTakenAsTypedAndAnEmptyFieldGivesPlayerOne)
{
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    const auto field = ui.gui->get<vgui::TextArea>("Name");
    ASSERT_TRUE(field);

    const std::string kept[] = {"   ", " Ann ", "Ann \"Q\" \\ Lee", "Åsa 名前", "two\nlines\n"};
    for (const auto& typed : kept)
    {
        field->setText(typed);
        ui.ReadPlayerName();
        EXPECT_EQ(ui.playerName, typed);
    }
    field->setText("");
    ui.ReadPlayerName();
    EXPECT_EQ(ui.playerName, "Player 1");

    // The start button reads the field (no states are registered, so the game stays here).
    field->setText("Pressed");
    PressButton(*ui.gui, "PlayGameButton");
    EXPECT_EQ(ui.playerName, "Pressed");

    // The last name is offered in the field, selected: the first key typed replaces it.
    Settings::instance().playerName = "Offered";
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    const auto offered = ui.gui->get<vgui::TextArea>("Name");
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->getText(), "Offered");
    sf::Event typed{};
    typed.type = sf::Event::TextEntered;
    typed.text.unicode = 'Z';
    ui.gui->handleEvent(typed);
    EXPECT_EQ(offered->getText(), "Z");
    Settings::instance().playerName.clear();

    // A menu without a name field keeps the last name.
    game.WriteAsset("mainMenu.txt", "Button.PlayGameButton { Position = (10, 10); Size = (100, 40); }");
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    PressButton(*ui.gui, "PlayGameButton");
    EXPECT_EQ(ui.playerName, "Pressed");
}

TEST_F(ScreenTest, MenuButtonsOpenTheirScreensAndEachReturnButtonLoadsTheMenuOnce)
{
    const struct
    {
        const char* button;
        ScreenKind kind;
        const char* form;
    } ways[] = {
        {"HighscoreButton", HighscoreScreen, "highscore.txt"},
        {"ControlsButton", ControlsScreen, "controls.txt"},
        {"CreditsButton", CreditsScreen, "credits.txt"},
    };
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    const auto menuCount = ui.gui->getWidgets().size();
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.button);
        PressButton(*ui.gui, way.button);
        ASSERT_EQ(ui.currentScreen, way.kind);
        EXPECT_FALSE(ui.gui->get("PlayGameButton"));

        PressButton(*ui.gui, "ReturnButton");
        EXPECT_EQ(ui.currentScreen, MainMenuScreen);
        EXPECT_TRUE(ui.gui->get<vgui::Button>("PlayGameButton"));
        EXPECT_EQ(ui.gui->getWidgets().size(), menuCount);
    }

    // Counting the loads: with the menu's form gone every load of it prints one line.
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.form);
        ui.LoadScreen(std::string("../assets/") + way.form, way.kind);
        game.RemoveAsset("mainMenu.txt");
        testing::internal::CaptureStderr();
        PressButton(*ui.gui, "ReturnButton");
        const auto lines = Lines(testing::internal::GetCapturedStderr());
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("mainMenu.txt"), std::string::npos) << lines[0];
        EXPECT_EQ(ui.currentScreen, MainMenuScreen);
        std::filesystem::copy_file(testing_support::SourceAssets() / "mainMenu.txt",
                                   game.assets() / "mainMenu.txt");
    }
}

TEST_F(ScreenTest, ExitButtonClosesTheWindow)
{
    ui.window = std::make_shared<sf::RenderWindow>(sf::VideoMode(320, 240), "Varnhold exit test");
    ASSERT_TRUE(ui.window->isOpen());
    ui.LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
    PressButton(*ui.gui, "ExitGameButton");
    EXPECT_FALSE(ui.window->isOpen());
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);
}

} // namespace
