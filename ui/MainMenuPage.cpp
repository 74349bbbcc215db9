#include "ui/MainMenuPage.hpp"

#include "gameplay/Levels.hpp"
#include "gameplay/Tables.hpp"
#include "services/Settings.hpp"
#include "ui/SettingsPanel.hpp"
#include "widgets/Widgets.hpp"

namespace
{
const WidgetName Play{"PlayGameButton", WidgetType::Button, Need::WayOn};
const WidgetName Exit{"ExitGameButton", WidgetType::Button};
const WidgetName Highscore{"HighscoreButton", WidgetType::Button};
const WidgetName Controls{"ControlsButton", WidgetType::Button};
const WidgetName Credits{"CreditsButton", WidgetType::Button};
const WidgetName Name{"Name", WidgetType::TextArea};
const WidgetName SettingsButton{"SettingsButton", WidgetType::Button, Need::Optional};
const WidgetName LevelsButton{"LevelsButton", WidgetType::Button, Need::Optional};
const WidgetName PlayChoice{"PlayChoiceText", WidgetType::TextArea, Need::Optional};
} // namespace

MainMenuPage::MainMenuPage(vgui::Gui& gui, ScreenHost& host, SettingsPanel& settings, std::string& playerName,
                           const std::string& settingsPath)
    : Screen(gui), host(host), settings(settings), playerName(playerName), settingsPath(settingsPath)
{
}

const std::vector<WidgetName>& MainMenuPage::Names() const
{
    static const std::vector<WidgetName> names = {Play, Exit,           Highscore,    Controls,  Credits,
                                                  Name, SettingsButton, LevelsButton, PlayChoice};
    return names;
}

void MainMenuPage::Connect()
{
    if (const auto play = gui.get<vgui::Button>(Play.name))
        play->onPress([this] { host.Play(); });
    const std::pair<const WidgetName*, ScreenKind> ways[] = {
        {&Highscore, HighscoreScreen}, {&Controls, ControlsScreen}, {&Credits, CreditsScreen}};
    for (const auto& [button, kind] : ways)
    {
        if (const auto way = gui.get<vgui::Button>(button->name))
            way->onPress([this, kind = kind] { host.Show(kind); });
    }
    if (const auto exit = gui.get<vgui::Button>(Exit.name))
        exit->onPress([this] { host.ExitGame(); });
    if (const auto button = gui.get<vgui::Button>(SettingsButton.name))
        button->onPress([this] { settings.Open(); });
    // The level select; the name typed so far goes with the player.
    if (const auto button = gui.get<vgui::Button>(LevelsButton.name))
        button->onPress(
            [this]
            {
                ReadPlayerName();
                host.Show(LevelSelectScreen);
            });
    if (gui.get(PlayChoice.name))
    {
        const auto& chosen = Settings::instance();
        SetText(gui, PlayChoice.name,
                "Play: " + FindLevel(chosen.level).name + ", " +
                    DifficultyOf(DifficultyNamed(chosen.difficulty).value_or(Difficulty::Normal)).name);
    }
    if (const auto name = gui.get<vgui::TextArea>(Name.name))
    {
        // The last name is offered selected: Enter plays it, typing replaces it.
        if (!Settings::instance().playerName.empty())
        {
            name->setText(Settings::instance().playerName);
            name->selectAll();
        }
        // Typing goes to the name at once, and Enter plays as the Play button does.
        gui.focus(name);
        name->onReturnKeyPress([this] { host.Play(); });
    }
}

std::vector<ScreenAction> MainMenuPage::WaysOn()
{
    // A form that loaded may still hold the name field.
    return {{"Play",
             [this]
             {
                 host.Play();
             }},
            {"Exit the game", [this]
             {
                 host.ExitGame();
             }}};
}

void MainMenuPage::ReadPlayerName()
{
    const auto name = gui.get<vgui::TextArea>(Name.name);
    if (!name)
        return;
    playerName = name->getText();
    // The name typed is offered again in the next run.
    if (!playerName.empty() && playerName != Settings::instance().playerName)
    {
        Settings::instance().playerName = playerName;
        SaveSettings(settingsPath);
    }
    if (playerName.empty())
        playerName = "Player 1";
}
