#pragma once
// Helpers for the tests of the whole game: every manager back to the start of the process through
// the game's own clearing, one step of the running world, the game's own Game driving whole frames
// on a window of the test's, and a fixture that plays with all of it.

#include "app/Game.hpp"
#include "tests/ui/UiTestSupport.hpp"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace testing_support
{

// Empties every registry and puts every manager back to its start-of-process values, using the
// same clearing the game does when a game is left.
void ResetWorld();

// Runs one GamePlay::Update of the world without a window: objects, camera, building permission,
// physics, cursor, defeat check, sounds, layers, HUD. Returns false once the game is lost
// (running cleared).
bool StepWorld(float dt);

// The game's own Game driving whole frames (Game::Frame's order), on a window of the test's:
// small and hidden unless the test asks otherwise, wired to the managers as Game::Init wires
// the real one, with both states registered. Leaves the assets and the world as they are.
class GameDriver
{
public:
    explicit GameDriver(sf::Vector2u windowSize = {64, 36}, bool visible = false);
    ~GameDriver();
    GameDriver(const GameDriver&) = delete;
    GameDriver& operator=(const GameDriver&) = delete;

    // Enters the running game as the main menu's Play button does (GamePlay::Init).
    void StartGame();
    // One frame; events is what this frame's poll brings.
    void Frame(float dt, const std::vector<sf::Event>& events = {});
    // One frame whose poll runs poll instead (a scripted game's actions of that frame).
    void Frame(float dt, const std::function<void()>& poll);

    std::shared_ptr<sf::RenderWindow> window;
    std::unique_ptr<Game> game;
    FrameOptions::Picture picture = FrameOptions::Picture::Drawn;
};

} // namespace testing_support

// The gameplay fixture (a scratch game folder, the game's assets) with the whole game reset around
// each test: the screens and the game states too.
class GameTest : public GameplayTest
{
protected:
    void SetUp() override;
    void TearDown() override;
};
