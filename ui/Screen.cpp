#include "ui/Screen.hpp"

#include "gameplay/Tables.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <iostream>

namespace
{
// The HUD's picture: 1280 x 720, the top bar's bottom edge at 80.
constexpr float PictureWidth = 1280.f, PictureHeight = 720.f, BelowTopBar = 86.f, Margin = 4.f;
} // namespace

const char* FormFileOf(ScreenKind kind)
{
    switch (kind)
    {
    case MainMenuScreen:
        return "mainMenu.txt";
    case HighscoreScreen:
        return "highscore.txt";
    case CreditsScreen:
        return "credits.txt";
    case ControlsScreen:
        return "controls.txt";
    case HudScreen:
        return "hud.txt";
    case LoseScreen:
        return "loseScreen.txt";
    case LevelSelectScreen:
        return "levelSelect.txt";
    }
    return nullptr;
}

void BackToMenu(ScreenHost& host, vgui::Gui& gui)
{
    gui.removeAllWidgets();
    host.Show(MainMenuScreen);
}

std::vector<ScreenAction> BackOrExit(ScreenHost& host, vgui::Gui& gui)
{
    return {{"Back to the menu",
             [&host, &gui]
             {
                 BackToMenu(host, gui);
             }},
            {"Exit the game", [&host]
             {
                 host.ExitGame();
             }}};
}

std::string LoadForm(vgui::Gui& gui, const std::string& formFile, bool replace)
{
    try
    {
        gui.loadWidgetsFromFile(formFile, replace);
    }
    catch (const vgui::Exception& error)
    {
        // The widget layer's message names the file only when it could not open it; the line
        // names it always.
        const std::string message = error.what();
        std::cerr << "Failed to load widgets from file: "
                  << (message.find(formFile) == std::string::npos ? formFile + ": " : std::string())
                  << message << std::endl;
        return message;
    }
    return {};
}

void SetText(vgui::Gui& gui, const char* name, const std::string& text)
{
    if (const auto area = gui.get<vgui::TextArea>(name))
        area->setText(text);
}

void ShowText(vgui::Gui& gui, const char* name, bool visible)
{
    if (const auto area = gui.get<vgui::TextArea>(name))
        area->setVisible(visible);
}

void MarkChosenDifficulty(vgui::Gui& gui, const char* const (&buttons)[3], const char* chosenLook,
                          const std::array<std::shared_ptr<void>, 3>& ownLooks, Difficulty chosen)
{
    const auto look = gui.get<vgui::Button>(chosenLook);
    for (const Difficulty each : Difficulties)
    {
        const auto index = static_cast<std::size_t>(each);
        const auto button = gui.get<vgui::Button>(buttons[index]);
        if (!button)
            continue;
        const std::string name = DifficultyOf(each).name;
        if (look)
            button->setRenderer(each == chosen
                                    ? look->getRenderer()->data
                                    : std::static_pointer_cast<vgui::Renderer::Data>(ownLooks[index]));
        else
            button->setText(each == chosen ? "[ " + name + " ]" : name);
    }
}

sf::Vector2f OnPictureBelowTopBar(sf::Vector2f at, sf::Vector2f size)
{
    return {std::clamp(at.x, Margin, PictureWidth - Margin - size.x),
            std::clamp(at.y, BelowTopBar, PictureHeight - Margin - size.y)};
}
