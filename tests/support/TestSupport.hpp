#pragma once
// Shared helpers for the game's tests: a scratch folder laid out like the game's (run/ beside
// assets/), a reset of every process-wide manager through the game's own clearing, and printers
// for SFML types in failure messages.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <filesystem>
#include <ostream>
#include <string>

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
