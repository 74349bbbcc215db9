#pragma once
// Shared helpers for the game's tests: a scratch folder laid out like the game's (run/ beside
// assets/), a reset of every process-wide manager through the game's own clearing, and printers
// for SFML types in failure messages.

#include "app/Game.hpp"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Event.hpp>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vgui
{
class Widget;
}

namespace testing_support
{

// Makes <temp>/run and <temp>/assets, copies the repository's assets there (or only the files
// named), and makes run/ the working directory so that "../assets/" is the copy. Restores the
// working directory and removes the folder on destruction.
class ScratchGame
{
public:
    ScratchGame();
    ~ScratchGame();
    ScratchGame(const ScratchGame&) = delete;
    ScratchGame& operator=(const ScratchGame&) = delete;

    std::filesystem::path root() const { return rootDir; }
    std::filesystem::path assets() const { return rootDir / "assets"; }
    std::filesystem::path run() const { return rootDir / "run"; }
    // Writes a file into the scratch assets folder (replacing the copy).
    void WriteAsset(const std::string& name, const std::string& content) const;
    void RemoveAsset(const std::string& name) const;

private:
    std::filesystem::path rootDir;
    std::filesystem::path previousDir;
};

// The repository's assets folder.
std::filesystem::path SourceAssets();

// Keeps one OpenGL context active for the rest of the process (display tests only).
void KeepGlContext();

// Loads the game's font, textures and sounds (needs a GL context, so display tests only).
// Call from a working directory where "../assets/" resolves, e.g. inside a ScratchGame.
void LoadAssets();

// Empties every registry and puts every manager back to its start-of-process values, using the
// same clearing the game does when a game is left.
void ResetWorld();

// Runs one GamePlay::Update-like step of the world in the game's order without a window:
// objects, camera, building permission, physics, cursor, defeat check, sounds, layers, HUD.
// Returns false once the game is lost (running cleared).
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

// A size.x by size.y texture whose pixels are coloured by paint(x, y) (needs a GL context).
std::shared_ptr<sf::Texture> Picture(sf::Vector2u size,
                                     const std::function<sf::Color(unsigned, unsigned)>& paint);
std::shared_ptr<sf::Texture> Solid(sf::Vector2u size, sf::Color colour = sf::Color::White);

// A widget's centre in root coordinates (parents' borders of a few pixels are ignored).
sf::Vector2f CentreOf(const vgui::Widget& widget);

} // namespace testing_support

namespace sf
{
inline std::ostream& operator<<(std::ostream& out, const Vector2f& v)
{
    return out << "(" << v.x << ", " << v.y << ")";
}
inline std::ostream& operator<<(std::ostream& out, const FloatRect& r)
{
    return out << "(" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << ")";
}
} // namespace sf
