#pragma once
// The application: one window, the process-wide managers wired to it, the two states, and the
// frame loop.

#include "app/GamePlay.hpp"
#include "app/MainMenu.hpp"

#include <SFML/Graphics/RenderWindow.hpp>

#include <memory>

class InputManager;
class AssetManager;
class GameStateManager;
class UIManager;

class Game
{
public:
    Game(std::shared_ptr<sf::RenderWindow> window, InputManager& inputManager, AssetManager& assetManager,
         GameStateManager& gameStateManager, UIManager& uiManager);

    // Opens the window, enters the main menu and loads every asset. Always reports success.
    bool Init();
    // Init, then the frame loop until the window closes, then Exit of the current state.
    void Run();
    // One pass of the frame loop with the given frame time.
    void Frame(float dt);

    std::shared_ptr<sf::RenderWindow> window;
    InputManager& inputManager;
    AssetManager& assetManager;
    GameStateManager& gameStateManager;
    UIManager& uiManager;
    MainMenu mainMenu;
    GamePlay gamePlay;
};

// Loads the font, the textures and the sounds of the game, in the order of the asset table.
void LoadGameAssets(AssetManager& assets);
