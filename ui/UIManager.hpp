#pragma once
// Owns the widget root, loads one screen at a time from a form file and has the screen wire its
// buttons, and holds the player-facing counters of a game (name, money, score, wave) and the flags
// and timers of the heads-up display's short-lived texts. Each screen is a class of its own (ui/);
// the operations here hand on to them.

#include "services/AssetsLocation.hpp"
#include "ui/HighscorePage.hpp"
#include "ui/Hud.hpp"
#include "ui/InfoPage.hpp"
#include "ui/LevelSelectPage.hpp"
#include "ui/LosePage.hpp"
#include "ui/MainMenuPage.hpp"
#include "ui/Screen.hpp"
#include "ui/SettingsPanel.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Time.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace vgui
{
class Gui;
}
class InputComponent;
class GameConfig;
struct LevelPlan;

class UIManager : private ScreenHost
{
public:
    static UIManager& instance();
    ~UIManager();

    // Empties the root, loads the form (a failure prints one "Failed to load widgets from file: "
    // line on standard error), runs the kind's hook-up, and shows a built-in screen or bar with a
    // way on when the form cannot be used.
    void LoadScreen(const std::string& formFile, ScreenKind kind);
    void LoadMainMenu();
    void LoadHighscoreScreen();
    void LoadCredits();
    void LoadControls();
    void LoadHUD();
    void LoadLoseScreen();
    // Copies the main menu's "Name" field into playerName; an empty field gives "Player 1".
    void ReadPlayerName();
    // The heads-up display's per-frame refresh; does nothing outside the HUD screen.
    void UpdateHUD(float dt);

    // Every change of money or score during play also feeds the change texts.
    void ChangeMoney(std::int32_t amount);
    void ChangeScore(std::int32_t amount);
    // The HUD's tower buttons: select kind, or clear the selection when it is already chosen.
    void SelectTower(int kind);
    // The HUD's repair button.
    void RepairBase();

    // Additions beside the screens, for the player's controls (every widget they use is optional
    // in the forms): leaving a running game without touching the record, and the card of the
    // tower or keep under the pointer, which the gameplay state runs while a game runs unpaused.
    void LeaveGame() override;
    void UpdateTowerCard(float dt);
    // The first games' hint shown (0: none, else the Hint's number) and the point it concerns.
    std::pair<int, sf::Vector2f> ShownHint() const;
    // The level of a game just started cannot be played: the game stops and the built-in screen
    // shows the plan's findings with the ways back to the menu and out of the game.
    void ShowUnplayableLevel(const LevelPlan& plan);
    // Turns fullscreen on or off as the settings say; installed by the game.
    std::function<void()> applyWindowMode;
    std::string settingsPath = StatePath("settings.json");
    // The record tables of every level and difficulty, beside the settings.
    std::string recordsPath = StatePath("records.json");
    // The menu screens' per-frame work: the level select's keys.
    void UpdateMenu();
    // The level select, for tests that look at what it lists.
    LevelSelectPage& LevelSelect() { return levelSelect; }

    std::string playerName = "Player 1";
    // The counters of the game, written by the gameplay: these are GameCounters' own fields.
    std::int32_t& money;
    std::int32_t& score;
    std::int32_t& wave;
    bool& waveTextActive;
    float& waveTextTimer; // seconds
    bool& changeTextActive;
    std::int32_t& moneyChange;
    std::int32_t& scoreChange;
    float& changeTextTimer; // seconds
    std::int32_t healthWarningPercent = 30;
    std::shared_ptr<sf::RenderWindow> window;
    std::shared_ptr<vgui::Gui> gui;
    ScreenKind currentScreen = MainMenuScreen;
    // The cursor's input component: the gameplay manager's own handle, set by the cursor factory.
    std::shared_ptr<InputComponent>& cursorInput;
    GameConfig& config;
    // Back to the start of the process: the counters and the name as they start, an empty
    // widget root on the main menu's kind (the window and the root's target stay).
    void Reset();
    // Where the highscore record lives; the game always uses the default.
    std::string highscorePath = StatePath("highscore.json");
    // How long a newly loaded screen ignores mouse presses (the game sets it at start): the
    // second click of a double click never lands on the next screen's buttons.
    sf::Time screenClickGuard;

private:
    UIManager();
    // What the screens ask of the manager.
    void Show(ScreenKind kind) override;
    void Play() override;
    void ExitGame() override;
    // The screen of a kind; null for any other value.
    Screen* ScreenOf(ScreenKind kind);

    SettingsPanel settings;
    MainMenuPage mainMenu;
    HighscorePage highscore;
    InfoPage controls;
    InfoPage credits;
    Hud hud;
    LosePage lose;
    LevelSelectPage levelSelect;
};
