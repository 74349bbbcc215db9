#include "ui/UIManager.hpp"

#include "entities/GameObject.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/MapChecker.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "ui/ScreenCheck.hpp"
#include "widgets/Widgets.hpp"

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
      cursorInput(GameplayManager::instance().cursorInput), config(GameConfig::instance()),
      settings(*gui, settingsPath, applyWindowMode),
      mainMenu(*gui, *this, settings, playerName, settingsPath),
      highscore(*gui, *this, highscorePath, recordsPath), controls(*gui, *this), credits(*gui, *this),
      hud(*gui, *this, settings, settingsPath, healthWarningPercent),
      lose(*gui, *this, highscorePath, recordsPath, playerName),
      levelSelect(*gui, *this, recordsPath, settingsPath)
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
    highscorePath = StatePath("highscore.json");
    recordsPath = StatePath("records.json");
    screenClickGuard = sf::Time::Zero;
}

Screen* UIManager::ScreenOf(ScreenKind kind)
{
    switch (kind)
    {
    case MainMenuScreen:
        return &mainMenu;
    case HighscoreScreen:
        return &highscore;
    case CreditsScreen:
        return &credits;
    case ControlsScreen:
        return &controls;
    case HudScreen:
        return &hud;
    case LoseScreen:
        return &lose;
    case LevelSelectScreen:
        return &levelSelect;
    }
    return nullptr;
}

void UIManager::LoadScreen(const std::string& formFile, ScreenKind kind)
{
    gui->removeAllWidgets();
    gui->ignoreClicksFor(screenClickGuard);
    const std::string loadError = LoadForm(*gui, formFile, true);
    currentScreen = kind;
    Screen* const screen = ScreenOf(kind);
    // A screen with a stand-in of its own gets it, wired as its form would be.
    const bool standIn = screen && !loadError.empty() && screen->BuildStandIn(formFile, loadError);
    if (screen)
        screen->Connect();
    if (standIn)
        return;
    // A screen that cannot be used is replaced by one made in code, with a way on.
    static const std::vector<WidgetName> none;
    (void)CheckScreen(*gui, formFile, screen ? screen->Names() : none, loadError,
                      screen ? screen->WaysOn() : BackOrExit(*this, *gui), screen ? screen->Account() : "");
}

void UIManager::LoadMainMenu()
{
    mainMenu.Connect();
}

void UIManager::LoadHighscoreScreen()
{
    highscore.Connect();
}

void UIManager::LoadCredits()
{
    credits.Connect();
}

void UIManager::LoadControls()
{
    controls.Connect();
}

void UIManager::LoadHUD()
{
    hud.Connect();
}

void UIManager::LoadLoseScreen()
{
    lose.Connect();
}

void UIManager::ReadPlayerName()
{
    mainMenu.ReadPlayerName();
}

void UIManager::UpdateHUD(float dt)
{
    if (currentScreen == HudScreen)
        hud.Update(dt);
}

void UIManager::UpdateTowerCard(float dt)
{
    if (currentScreen == HudScreen)
        hud.UpdateCards(dt);
}

std::pair<int, sf::Vector2f> UIManager::ShownHint() const
{
    if (currentScreen != HudScreen)
        return {0, {}};
    return {static_cast<int>(hud.GetHints().Shown()), hud.GetHints().Point()};
}

void UIManager::ChangeMoney(std::int32_t amount)
{
    GameCounters::instance().ChangeMoney(amount);
}

void UIManager::ChangeScore(std::int32_t amount)
{
    GameCounters::instance().ChangeScore(amount);
}

void UIManager::SelectTower(int kind)
{
    hud.SelectTower(kind);
}

void UIManager::RepairBase()
{
    hud.RepairBase();
}

void UIManager::Show(ScreenKind kind)
{
    LoadScreen(AssetPath(FormFileOf(kind)), kind);
}

void UIManager::Play()
{
    ReadPlayerName();
    // The level and difficulty last chosen on the level select; the first level on Normal until
    // one is (or when the level chosen is no longer there).
    auto& gameplay = GameplayManager::instance();
    gameplay.level = FindLevel(Settings::instance().level);
    gameplay.difficulty = DifficultyNamed(Settings::instance().difficulty).value_or(Difficulty::Normal);
    GameStateManager::instance().ChangeState("GamePlay");
}

void UIManager::UpdateMenu()
{
    if (currentScreen == LevelSelectScreen)
        levelSelect.Update();
    else if (currentScreen == HighscoreScreen)
        highscore.Update();
}

void UIManager::LeaveGame()
{
    // As the lose screen's button leaves a lost game; the record stays as it is.
    gui->removeAllWidgets();
    GameStateManager::instance().ChangeState("MainMenu");
}

void UIManager::ExitGame()
{
    if (const auto target = window)
        target->close();
}

void UIManager::ShowUnplayableLevel(const LevelPlan& plan)
{
    GameplayManager::instance().running = false;
    std::string message = plan.parsed ? "This level could not make a game that ends:\n"
                                      : "The level's map could not be read:\n";
    for (const auto& line : plan.refusals)
        message += line + "\n";
    if (plan.findings.size() > plan.refusals.size())
        message += "(and " + std::to_string(plan.findings.size() - plan.refusals.size()) +
                   " more findings on the console)\n";
    ShowFallbackScreen(*gui, "This level cannot be played", message,
                       {{"Back to the menu",
                         []
                         {
                             GameStateManager::instance().ChangeState("MainMenu");
                         }},
                        {"Exit the game", [this]
                         {
                             ExitGame();
                         }}});
}
