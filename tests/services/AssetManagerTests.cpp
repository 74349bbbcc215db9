// Loading and looking up assets from a scratch assets folder.
// Needs a GL context (textures, window).

#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "tests/services/ServicesTestSupport.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <sstream>

namespace
{
// Captures sf::err() for the life of the object.
class ErrCapture
{
public:
    ErrCapture() : previous(sf::err().rdbuf(text.rdbuf())) {}
    ~ErrCapture() { sf::err().rdbuf(previous); }
    std::string str() const { return text.str(); }

private:
    std::ostringstream text;
    std::streambuf* previous;
};

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class Assets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetServices();
        assets.textures.clear();
        assets.soundBuffers.clear();
        assets.sounds.clear();
        assets.fonts.clear();
    }
    void TearDown() override { SetUp(); }

    void WritePicture(const std::string& name, unsigned width, unsigned height)
    {
        sf::Image image;
        image.create(width, height, sf::Color::Red);
        ASSERT_TRUE(image.saveToFile((scratch.assets() / name).string()));
    }
    void WriteSound(const std::string& name, std::size_t samples)
    {
        std::vector<sf::Int16> data(samples, 1000);
        sf::SoundBuffer buffer;
        ASSERT_TRUE(buffer.loadFromSamples(data.data(), data.size(), 1, 8000));
        ASSERT_TRUE(buffer.saveToFile((scratch.assets() / name).string()));
    }

    testing_support::ScratchGame scratch;
    AssetManager& assets = AssetManager::instance();
};

tmj::Tileset Tileset(const std::string& name, const std::string& image)
{
    tmj::Tileset tileset;
    tileset.name = name;
    tileset.image = image;
    tileset.imageRelativeToMap = image;
    return tileset;
}
} // namespace

TEST_F(Assets, TexturesReloadSoundsLoadOnce)
{
    WritePicture("a.png", 5, 7);
    WritePicture("b.png", 9, 3);
    assets.LoadTexture("pic", "../assets/a.png");
    const auto first = assets.textures.at("pic");
    EXPECT_EQ(first->getSize(), sf::Vector2u(5, 7));
    assets.LoadTexture("pic", "../assets/b.png");
    EXPECT_EQ(assets.GetTexture("pic").getSize(), sf::Vector2u(9, 3));
    EXPECT_EQ(first->getSize(), sf::Vector2u(5, 7)); // a holder keeps the old one

    WriteSound("short.wav", 800);
    WriteSound("long.wav", 1600);
    assets.LoadSound("hit", "../assets/short.wav");
    assets.LoadSound("hit", "../assets/long.wav");
    ASSERT_NE(assets.soundBuffers.at("hit"), nullptr);
    EXPECT_EQ(assets.soundBuffers.at("hit")->getSampleCount(), 800u);
    EXPECT_EQ(assets.sounds.at("hit")->getBuffer(), assets.soundBuffers.at("hit").get());
}

TEST_F(Assets, MissingFilesLeaveEmptyAssetsAndUnknownKeysCreateNothing)
{
    ErrCapture err;
    assets.LoadTexture("gone", "../assets/gone.png");
    assets.LoadSound("gone", "../assets/gone.wav");
    assets.LoadFont("gone", "../assets/gone.ttf");
    EXPECT_EQ(assets.GetTexture("gone").getSize(), sf::Vector2u(0, 0));
    EXPECT_EQ(assets.soundBuffers.at("gone")->getSampleCount(), 0u);
    EXPECT_EQ(assets.fonts.count("gone"), 1u);

    const sf::Texture& unknown = assets.GetTexture("neverLoaded");
    EXPECT_EQ(unknown.getSize(), sf::Vector2u(0, 0));
    EXPECT_EQ(assets.textures.count("neverLoaded"), 0u);
    EXPECT_EQ(Count(err.str(), "neverLoaded"), 1u);
}

TEST_F(Assets, TilesetsLoadOncePerNameAndReportMissingImages)
{
    WritePicture("tiles.png", 8, 8);
    WritePicture("other.png", 4, 4);
    assets.LoadTexture("tilesheet", "../assets/other.png");
    const sf::Texture* kept = &assets.GetTexture("tilesheet");

    auto map = std::make_shared<tmj::Map>();
    map->tilesets.push_back(Tileset("tilesheet", "tiles.png")); // name already loaded: skipped
    map->tilesets.push_back(Tileset("ground", "tiles.png"));
    map->tilesets.push_back(Tileset("lost", "lost.png"));
    map->tilesets.push_back(Tileset("odd", "we\"ird\\name.png"));
    // Tilesets naming an image already read share its texture; a lost one is not looked for again.
    map->tilesets.push_back(Tileset("ground again", "tiles.png"));
    map->tilesets.push_back(Tileset("lost again", "lost.png"));
    {
        ErrCapture err;
        assets.LoadTilesets(map);
        const std::string text = err.str();
        EXPECT_EQ(Count(text, "Could not load texture \"../assets/lost.png\": the file does not exist\n"), 1u)
            << text;
        EXPECT_EQ(Count(text, "Could not load texture \"../assets/we\\\"ird\\\\name.png\": "), 1u) << text;
        EXPECT_EQ(Count(text, "Could not load texture "), 2u) << text;
        EXPECT_EQ(Count(text, "\n"), 2u) << text;
    }
    EXPECT_EQ(&assets.GetTexture("tilesheet"), kept);
    EXPECT_EQ(kept->getSize(), sf::Vector2u(4, 4));
    EXPECT_EQ(assets.GetTexture("ground").getSize(), sf::Vector2u(8, 8));
    EXPECT_EQ(&assets.GetTexture("ground again"), &assets.GetTexture("ground"));
    EXPECT_EQ(assets.textures.count("lost"), 1u);
    EXPECT_EQ(assets.GetTexture("lost").getSize(), sf::Vector2u(0, 0));

    // The next level load skips them all, the missing one included.
    ErrCapture again;
    assets.LoadTilesets(map);
    EXPECT_EQ(again.str(), "");
}
