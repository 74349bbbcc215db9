#pragma once
// The application: one window, the process-wide managers wired to it, the two states, and the
// frame loop.

#include "app/GamePlay.hpp"
#include "app/MainMenu.hpp"

#include <SFML/Graphics/RenderWindow.hpp>

#include <functional>
#include <memory>

class InputManager;
class AssetManager;
class GameStateManager;
class UIManager;

class Game;

// How one pass of the frame loop takes its events and shows its picture. The game's own loop
// polls the window and shows every frame; tests and the benchmark hand in the events of a frame,
// draw without showing (into a small hidden window), or only place the sprites as a drawing
// would. The order of the pass is the same for all.
struct FrameOptions
{
    // Hands this frame's events to Game::HandleEvent; empty: the window's own queue.
    std::function<void(Game&)> poll;
    enum class Picture
    {
        Shown,  // cleared, drawn and displayed
        Drawn,  // cleared and drawn, not displayed
        Placed, // nothing rasterised: the sprites are only placed where a drawing puts them
    };
    Picture picture = Picture::Shown;
    // When set, filled with the milliseconds of the update and of the picture.
    struct Times
    {
        double updateMs = 0., pictureMs = 0.;
    }* times = nullptr;
};

class Game
{
public:
    Game(std::shared_ptr<sf::RenderWindow> window, InputManager& inputManager, AssetManager& assetManager,
         GameStateManager& gameStateManager, UIManager& uiManager);

    // Opens the window, enters the main menu and loads every asset. Always reports success.
    bool Init();
    // Init, then the frame loop until the window closes, then Exit of the current state.
    void Run();
    // One pass of the frame loop with the given frame time: the current state's update, the
    // input flags cleared, the events polled and handled, the picture cleared, drawn and shown.
    void Frame(float dt);
    void Frame(float dt, const FrameOptions& options);
    // What the frame loop does with each polled event: the input manager first, then the
    // widgets, then the window (resizing, closing).
    void HandleEvent(const sf::Event& event);
    // Shows the 1280 x 720 world as large as the window allows, keeping its shape (bars where
    // the window's shape differs), for the world and the widgets alike.
    void FitViewToWindow();
    // Fullscreen or the 1280 x 720 window, as the settings say (the world letterboxed in both).
    void ApplyWindowMode();
    // The game's icon on its window, when its picture can be read.
    void SetWindowIcon();

    std::shared_ptr<sf::RenderWindow> window;
    InputManager& inputManager;
    AssetManager& assetManager;
    GameStateManager& gameStateManager;
    UIManager& uiManager;
    MainMenu mainMenu;
    GamePlay gamePlay;

private:
    // The frame counter in the corner, when the settings show it.
    void DrawFrameCounter(float dt);
    float framesPerSecond = 60.f;
};

inline constexpr const char* WindowTitle = "Varnhold (a fortress defence by the Varnhold team)";

// The game's world size in pixels: the window's size at start and the layout size of every form.
inline constexpr unsigned WorldWidth = 1280;
inline constexpr unsigned WorldHeight = 720;

// The 1280 x 720 world shown as large as fits in a window of the given size, centred, with its
// shape kept.
sf::View LetterboxView(sf::Vector2u windowSize);
