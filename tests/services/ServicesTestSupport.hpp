#pragma once
// Helpers for the tests of the services and of every layer above them: a scratch folder laid out
// like the game's (run/ beside assets/), the game's assets loaded, the services back to the start
// of the process through their own Reset, pictures made in memory, sounds heard through a wave
// file, and printers for SFML types in failure messages. Links only the services.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Vector2.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace testing_support
{

// Makes <temp>/run and <temp>/assets, copies the repository's assets there, and makes run/ the
// working directory so that "../assets/" is the copy. Restores the working directory and removes
// the folder on destruction.
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

// Loads the game's font, textures and sounds as the game does at start (needs a GL context, so
// display tests only). Call from a working directory where "../assets/" resolves, e.g. inside a
// ScratchGame.
void LoadAssets();

// Puts every service back to its start-of-process values by its own Reset, with the pointer
// resting at the window's corner.
void ResetServices();

// A size.x by size.y texture whose pixels are coloured by paint(x, y) (needs a GL context).
std::shared_ptr<sf::Texture> Picture(sf::Vector2u size,
                                     const std::function<sf::Color(unsigned, unsigned)>& paint);
std::shared_ptr<sf::Texture> Solid(sf::Vector2u size, sf::Color colour = sf::Color::White);

// Whole file content, or "<missing>" when it cannot be opened.
std::string ReadFile(const std::string& path);

// A test that listens, as a player hears: OpenAL Soft's wave writer mixes everything the process
// plays into a file of the suite's own, chosen before the suite's first sound object exists (so a
// listening suite shares its executable with no other that plays sounds). Each test runs in a
// scratch game with the game's assets loaded after Reset (by default the services'; a test of a
// higher layer resets more).
class ListeningTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    virtual void Reset();

    ScratchGame game;
};
// The loudest sample written so far, as a share of full scale (0 is silence).
double Loudness();
// Waits until every sound held has finished (the writer mixes at the speed of a sound card, in real
// time); a minute only ends a mixer that hangs.
void WaitUntilQuiet();
// The loudest sample once something was heard: waits for the mixer to write it, however busy the
// machine (a minute only ends a mixer that hangs).
double Heard();

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
