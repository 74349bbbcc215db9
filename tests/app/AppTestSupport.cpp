#include "tests/app/AppTestSupport.hpp"

#include "app/GamePlay.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

namespace testing_support
{

void ResetWorld()
{
    // The game's own clearing when a game is left (it also breaks the colliders' partner
    // cycles), then every manager back to the start of the process by its own Reset.
    GamePlay().Exit();
    ResetUi();
}

bool StepWorld(float dt)
{
    GamePlay state;
    state.Update(dt);
    return GameplayManager::instance().running;
}

GameDriver::GameDriver(sf::Vector2u windowSize, bool visible)
    : window(std::make_shared<sf::RenderWindow>(sf::VideoMode(windowSize.x, windowSize.y), "test game",
                                                visible ? sf::Style::Default : sf::Style::None)),
      game(std::make_unique<Game>(window, InputManager::instance(), AssetManager::instance(),
                                  GameStateManager::instance(), UIManager::instance()))
{
    window->setVisible(visible);
    auto& ui = UIManager::instance();
    ui.window = window;
    ui.gui->setTarget(*window);
    if (const auto font = AssetManager::instance().fonts.find("arial");
        font != AssetManager::instance().fonts.end())
        ui.gui->setFont(font->second);
    InputManager::instance().window = window;
    GameStateManager::instance().AddState("MainMenu", &game->mainMenu);
    GameStateManager::instance().AddState("GamePlay", &game->gamePlay);
}

GameDriver::~GameDriver()
{
    // The state objects go with the Game: the states' switch must not keep pointing at them.
    GameStateManager::instance().Reset();
    InputManager::instance().window.reset();
    UIManager::instance().window.reset();
}

void GameDriver::StartGame()
{
    GameStateManager::instance().ChangeState("GamePlay");
}

void GameDriver::Frame(float dt, const std::vector<sf::Event>& events)
{
    FrameOptions options;
    options.picture = picture;
    options.poll = [&events](Game& played)
    {
        for (const sf::Event& event : events)
            played.HandleEvent(event);
    };
    game->Frame(dt, options);
}

void GameDriver::Frame(float dt, const std::function<void()>& poll)
{
    FrameOptions options;
    options.picture = picture;
    options.poll = [&poll](Game&)
    {
        poll();
    };
    game->Frame(dt, options);
}

} // namespace testing_support

void GameTest::SetUp()
{
    testing_support::ResetWorld();
    GameplayTest::SetUp();
}

void GameTest::TearDown()
{
    GameplayTest::TearDown();
    testing_support::ResetWorld();
}
