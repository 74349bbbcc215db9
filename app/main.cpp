#include "app/Game.hpp"
#include "app/Startup.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"

int main(int argc, char** argv)
{
    if (const auto status = StartUp(argc, argv))
        return *status;
    auto window = std::make_shared<sf::RenderWindow>();
    // The managers are made in this order and destroyed in the reverse order at exit.
    auto& input = InputManager::instance();
    auto& assets = AssetManager::instance();
    auto& states = GameStateManager::instance();
    auto& ui = UIManager::instance();
    Game game(window, input, assets, states, ui);
    game.Run();
    return 0;
}
