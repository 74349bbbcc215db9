#include "ui/UIManager.hpp"

#include "entities/GameObject.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "ui/ScreenCheck.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>

UIManager& UIManager::instance()
{
    static UIManager manager;
    return manager;
}

UIManager::UIManager()
    : money(GameCounters::instance().money), score(GameCounters::instance().score),
      wave(GameCounters::instance().wave), waveTextActive(GameCounters::instance().waveTextActive),
      waveTextTimer(GameCounters::instance().waveTextTimer),
      changeTextActive(GameCounters::instance().changeTextActive),
      moneyChange(GameCounters::instance().moneyChange), scoreChange(GameCounters::instance().scoreChange),
      changeTextTimer(GameCounters::instance().changeTextTimer), gui(std::make_shared<vgui::Gui>()),
      cursorInput(GameplayManager::instance().cursorInput), config(GameConfig::instance())
{
    // Enemies and the keep show their health bars in this root.
    GameObject::healthBars.show = [this](const auto& bar, const std::string& name)
    {
        gui->add(bar, name);
    };
    GameObject::healthBars.hide = [this](const auto& bar)
    {
        gui->remove(bar);
    };
    GameObject::healthBars.warningPercent = [this]
    {
        return healthWarningPercent;
    };
}

UIManager::~UIManager()
{
    GameObject::healthBars = {};
    cursorInput.reset();
    gui.reset();
    window.reset();
}

void UIManager::Reset()
{
    GameCounters::instance().Reset();
    playerName = "Player 1";
    healthWarningPercent = 30;
    gui->removeAllWidgets();
    currentScreen = MainMenuScreen;
    cursorInput.reset();
    highscorePath = AssetPath("highscore.json");
    screenClickGuard = sf::Time::Zero;
}

void UIManager::LoadScreen(const std::string& formFile, ScreenKind kind)
{
    gui->removeAllWidgets();
    gui->ignoreClicksFor(screenClickGuard);
    std::string loadError;
    try
    {
        gui->loadWidgetsFromFile(formFile, true);
    }
    catch (const vgui::Exception& error)
    {
        std::cerr << "Failed to load widgets from file: " << error.what() << std::endl;
        loadError = error.what();
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
    // A screen that cannot be used is replaced by one made in code, with a way on.
    (void)CheckScreen(*this, formFile, kind, loadError);
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
        highscore->onPress([this] { LoadScreen(AssetPath("highscore.txt"), HighscoreScreen); });
    if (const auto controls = gui->get<vgui::Button>("ControlsButton"))
        controls->onPress([this] { LoadScreen(AssetPath("controls.txt"), ControlsScreen); });
    if (const auto credits = gui->get<vgui::Button>("CreditsButton"))
        credits->onPress([this] { LoadScreen(AssetPath("credits.txt"), CreditsScreen); });
    if (const auto exit = gui->get<vgui::Button>("ExitGameButton"))
        exit->onPress(
            [this]
            {
                if (const auto target = window)
                    target->close();
            });
    ConnectMenuControls();
}

void UIManager::ConnectReturnToMenu()
{
    if (const auto back = gui->get<vgui::Button>("ReturnButton"))
        back->onPress(
            [this]
            {
                gui->removeAllWidgets();
                LoadScreen(AssetPath("mainMenu.txt"), MainMenuScreen);
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
    // The name typed is offered again in the next run.
    if (!playerName.empty() && playerName != Settings::instance().playerName)
    {
        Settings::instance().playerName = playerName;
        if (const FileSave save = Settings::instance().Save(settingsPath); !save.saved)
            std::cerr << "Could not save the settings \"" << settingsPath << "\": " << save.error
                      << std::endl;
    }
    if (playerName.empty())
        playerName = "Player 1";
}

void UIManager::ChangeMoney(std::int32_t amount)
{
    GameCounters::instance().ChangeMoney(amount);
}

void UIManager::ChangeScore(std::int32_t amount)
{
    GameCounters::instance().ChangeScore(amount);
}
