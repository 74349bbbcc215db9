#pragma once
// Owns the widget root, loads one screen at a time from a form file and wires its buttons, and
// holds the player-facing counters of a game (name, money, score, wave) and the flags and
// timers of the heads-up display's short-lived texts.

#include "services/AssetsLocation.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Time.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vgui
{
class Gui;
}
class GameObject;
class InputComponent;
class GameConfig;

enum ScreenKind : int
{
    MainMenuScreen = 0,
    HighscoreScreen = 1,
    CreditsScreen = 2,
    ControlsScreen = 3,
    HudScreen = 4,
    LoseScreen = 5,
};

class UIManager
{
public:
    static UIManager& instance();
    ~UIManager();

    // Empties the root, loads the form (a failure prints one "Failed to load widgets from file: "
    // line on standard error and leaves the screen empty), then runs the kind's hook-up.
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
    // in the forms): the settings panel over whatever screen is shown, leaving a running game
    // without touching the record, and the HUD's pause and speed buttons and pause overlay.
    void OpenSettings();
    void CloseSettings();
    void LeaveGame();
    // The card of the tower or keep under the pointer (real time, not the game's: it opens at
    // the same pace at any speed); the gameplay state runs it while a game runs unpaused.
    void UpdateTowerCard(float dt);
    void CloseTowerCard();
    // Turns fullscreen on or off as the settings say; installed by the game.
    std::function<void()> applyWindowMode;
    std::string settingsPath = AssetPath("settings.json");

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
    std::string highscorePath = AssetPath("highscore.json");
    // How long a newly loaded screen ignores mouse presses (the game sets it at start): the
    // second click of a double click never lands on the next screen's buttons.
    sf::Time screenClickGuard;

private:
    UIManager();
    void ConnectReturnToMenu();
    // The main menu's and the HUD's hook-ups of the player's controls.
    void ConnectMenuControls();
    void ConnectHudControls();
    void RefreshHudControls();
    void RefreshSettings();
    // The HUD's status beside the design's counters, the chosen button's frame, the refusal
    // text, and the tower card's parts.
    void UpdateStatus(const GameObject* keep);
    void UpdateSelectionFrame();
    void UpdateFeedback(float dt);
    // A widget's place moved, as little as it takes, inside the picture and below the top bar.
    static sf::Vector2f OnPictureBelowTopBar(sf::Vector2f at, sf::Vector2f size);
    void ConnectTowerCard();
    void FillTowerCard();
    std::shared_ptr<GameObject> CardObjectAt(sf::Vector2f point) const;
    struct CardState
    {
        std::weak_ptr<GameObject> target;    // whose card is open
        std::weak_ptr<GameObject> candidate; // what the pointer rests on
        float rest = 0.f;                    // seconds on the candidate
        float away = 0.f;                    // seconds since the pointer left target and card
        bool wasChoosing = false;            // a tower kind was selected at the last update
    };
    CardState card;
    // HUD icons are read once per file and then shared.
    std::shared_ptr<const sf::Texture> Icon(const std::string& path);
    std::map<std::string, std::shared_ptr<const sf::Texture>> icons;
};
