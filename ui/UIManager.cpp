#include "ui/UIManager.hpp"

#include "app/GameStateManager.hpp"
#include "gameplay/GameConfig.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>

UIManager& UIManager::instance()
{
    static UIManager manager;
    return manager;
}

UIManager::UIManager() : gui(std::make_shared<vgui::Gui>()), config(GameConfig::instance()) {}

UIManager::~UIManager()
{
    cursorInput.reset();
    gui.reset();
    window.reset();
}

void UIManager::LoadScreen(const std::string& formFile, ScreenKind kind)
{
    gui->removeAllWidgets();
    gui->ignoreClicksFor(screenClickGuard);
    try
    {
        gui->loadWidgetsFromFile(formFile, true);
    }
    catch (const vgui::Exception& error)
    {
        std::cerr << "Failed to load widgets from file: " << error.what() << std::endl;
    }
    currentScreen = kind;
    switch (kind)
    {
    case MainMenuScreen:
        LoadMainMenu();
        break;
    case HighscoreScreen:
        LoadHighscoreScreen();
        break;
    case CreditsScreen:
        LoadCredits();
        break;
    case ControlsScreen:
        LoadControls();
        break;
    case HudScreen:
        LoadHUD();
        break;
    case LoseScreen:
        LoadLoseScreen();
        break;
    }
}

void UIManager::LoadMainMenu()
{
    if (const auto play = gui->get<vgui::Button>("PlayGameButton"))
        play->onPress(
            [this]
            {
                ReadPlayerName();
                GameStateManager::instance().ChangeState("GamePlay");
            });
    if (const auto highscore = gui->get<vgui::Button>("HighscoreButton"))
        highscore->onPress([this] { LoadScreen("../assets/highscore.txt", HighscoreScreen); });
    if (const auto controls = gui->get<vgui::Button>("ControlsButton"))
        controls->onPress([this] { LoadScreen("../assets/controls.txt", ControlsScreen); });
    if (const auto credits = gui->get<vgui::Button>("CreditsButton"))
        credits->onPress([this] { LoadScreen("../assets/credits.txt", CreditsScreen); });
    if (const auto exit = gui->get<vgui::Button>("ExitGameButton"))
        exit->onPress(
            [this]
            {
                if (const auto target = window)
                    target->close();
            });
}

void UIManager::ConnectReturnToMenu()
{
    if (const auto back = gui->get<vgui::Button>("ReturnButton"))
        back->onPress(
            [this]
            {
                gui->removeAllWidgets();
                LoadScreen("../assets/mainMenu.txt", MainMenuScreen);
            });
}

void UIManager::LoadCredits()
{
    ConnectReturnToMenu();
}

void UIManager::LoadControls()
{
    ConnectReturnToMenu();
}

void UIManager::ReadPlayerName()
{
    const auto name = gui->get<vgui::TextArea>("Name");
    if (!name)
        return;
    playerName = name->getText();
    if (playerName.empty())
        playerName = "Player 1";
}

void UIManager::ChangeMoney(std::int32_t amount)
{
    money += amount;
    moneyChange += amount;
    changeTextActive = true;
    changeTextTimer = 1.f;
}

void UIManager::ChangeScore(std::int32_t amount)
{
    score += amount;
    scoreChange += amount;
    changeTextActive = true;
    changeTextTimer = 1.f;
}
