// The levels a player can choose: the first level, then the maps of the levels folder by file
// name, each named by its map and checked as --check-map checks it, with its picture drawn from
// the map (greyed when the check refuses the level).

#include "gameplay/Levels.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"

#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
class LevelsTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        // Only the test's own levels in the folder.
        fs::remove_all(game.assets() / "levels");
        fs::create_directories(game.assets() / "levels");
    }

    // The shipped map as a level of the folder (its tileset image one folder up), changed by edit.
    void WriteLevel(const std::string& file, const std::function<void(nlohmann::json&)>& edit) const
    {
        std::ifstream in(testing_support::SourceAssets() / "game.tmj");
        nlohmann::json map = nlohmann::json::parse(in);
        map["tilesets"][0]["image"] = "../tilesheet.png";
        edit(map);
        game.WriteAsset("levels/" + file, map.dump());
    }
    static nlohmann::json& Objects(nlohmann::json& map)
    {
        for (auto& layer : map["layers"])
            if (layer.contains("objects"))
                return layer["objects"];
        throw std::runtime_error("no object layer");
    }
    static nlohmann::json& FirstOf(nlohmann::json& map, const std::string& type)
    {
        for (auto& object : Objects(map))
            if (object["type"] == type)
                return object;
        throw std::runtime_error("no " + type);
    }
    // Whether every pixel of the picture is a grey (its three channels equal).
    static bool Grey(const sf::Texture& picture)
    {
        const sf::Image image = picture.copyToImage();
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x)
            {
                const sf::Color c = image.getPixel(x, y);
                if (c.r != c.g || c.g != c.b)
                    return false;
            }
        return true;
    }
    // How many pixels are clearly green: grass drawn from the tile sheet.
    static int GreenPixels(const sf::Texture& picture)
    {
        const sf::Image image = picture.copyToImage();
        int green = 0;
        for (unsigned y = 0; y < image.getSize().y; ++y)
            for (unsigned x = 0; x < image.getSize().x; ++x)
                green += image.getPixel(x, y).g > image.getPixel(x, y).r + 20 ? 1 : 0;
        return green;
    }
};
} // namespace

TEST_F(LevelsTest, TheFirstLevelThenEachMapByFileNameNamedAndCheckedAsTheCommandChecksIt)
{
    WriteLevel("b-named.tmj",
               [](nlohmann::json& map) {
                   map["properties"] = {{{"name", "Name"}, {"type", "string"}, {"value", "Bee Road"}}};
               });
    // A second spawner 240 pixels from the first waypoint.
    WriteLevel("a-plain.tmj",
               [](nlohmann::json& map)
               {
                   nlohmann::json second = FirstOf(map, "Spawner");
                   second["id"] = 900;
                   second["y"] = 400;
                   Objects(map).push_back(second);
               });
    WriteLevel("c-keepless.tmj",
               [](nlohmann::json& map)
               {
                   auto& objects = Objects(map);
                   objects.erase(std::remove_if(objects.begin(), objects.end(),
                                                [](const nlohmann::json& o) { return o["type"] == "Base"; }),
                                 objects.end());
               });
    WriteLevel("d-warned.tmj",
               [](nlohmann::json& map)
               {
                   for (auto& property : FirstOf(map, "Spawner")["properties"])
                       if (property["name"] == "WaveSize")
                           property["value"] = 0;
               });
    game.WriteAsset("levels/e-garbage.tmj", "{ \"layers\": [");
    game.WriteAsset("levels/notes.txt", "not a level");
    fs::create_directories(game.assets() / "levels" / "folder.tmj");

    const std::vector<LevelEntry> levels = ListLevels(true, {64, 36});
    std::vector<std::string> keys;
    for (const auto& level : levels)
        keys.push_back(level.id.key);
    EXPECT_EQ(keys, (std::vector<std::string>{FirstLevelKey, "a-plain.tmj", "b-named.tmj", "c-keepless.tmj",
                                              "d-warned.tmj", "e-garbage.tmj"}));
    ASSERT_EQ(levels.size(), 6u);
    const LevelEntry &first = levels[0], &plain = levels[1], &named = levels[2], &keepless = levels[3],
                     &warned = levels[4], &garbage = levels[5];

    EXPECT_EQ(first.id.name, "Varnhold Road");
    EXPECT_EQ(first.id.file, "../assets/game.tmj");
    EXPECT_EQ(plain.id.name, "a-plain");
    EXPECT_EQ(named.id.name, "Bee Road");
    // What a card tells of the challenge: spawners, and the road from the farthest one (68 tiles
    // of corners and 40 pixels into the keep).
    EXPECT_EQ(first.spawners, 1);
    EXPECT_FLOAT_EQ(first.roadLength, 2760.f);
    EXPECT_EQ(first.tileSize, 40);
    EXPECT_EQ(plain.spawners, 2);
    EXPECT_FLOAT_EQ(plain.roadLength, 2760.f + 240.f);

    // The same findings as `Varnhold --check-map`: none for a good level, a refusal that stops a
    // game, a warning that lets it play, and a map that cannot be read.
    for (const auto& level : levels)
        EXPECT_EQ(level.plan.findings, CheckMapFile(level.id.file).findings) << level.id.key;
    EXPECT_TRUE(first.plan.findings.empty());
    EXPECT_TRUE(named.plan.findings.empty()) << named.plan.findings.front();
    EXPECT_FALSE(keepless.plan.playable);
    ASSERT_FALSE(keepless.plan.refusals.empty());
    EXPECT_NE(keepless.plan.refusals.front().find("no \"Base\" object"), std::string::npos);
    EXPECT_TRUE(warned.plan.playable);
    ASSERT_EQ(warned.plan.findings.size(), 1u);
    EXPECT_NE(warned.plan.findings.front().find("\"WaveSize\" 0 is out of range"), std::string::npos);
    EXPECT_FALSE(garbage.plan.playable);
    EXPECT_EQ(garbage.id.name, "e-garbage");

    // Pictures drawn from the maps: the grass of the tile sheet, greyed where the level is refused.
    for (const auto& level : levels)
    {
        ASSERT_TRUE(level.picture) << level.id.key;
        EXPECT_EQ(level.picture->getSize(), sf::Vector2u(64, 36));
        EXPECT_EQ(Grey(*level.picture), !level.plan.playable) << level.id.key;
    }
    EXPECT_GT(GreenPixels(*named.picture), 64 * 36 / 2);

    // A key names its level again (as the settings keep it); a key no longer listed is the first.
    EXPECT_EQ(FindLevel("b-named.tmj").name, "Bee Road");
    EXPECT_EQ(FindLevel("b-named.tmj").file, "../assets/levels/b-named.tmj");
    EXPECT_EQ(FindLevel("gone.tmj").key, FirstLevelKey);
    EXPECT_EQ(FindLevel("").key, FirstLevelKey);
}

TEST_F(LevelsTest, TheShippedLevelsAllPlayWithoutAFinding)
{
    fs::remove_all(game.assets() / "levels");
    fs::copy(testing_support::SourceAssets() / "levels", game.assets() / "levels");
    const std::vector<LevelEntry> levels = ListLevels(false);
    EXPECT_GE(levels.size(), 5u) << "the first level and at least four more";
    for (const auto& level : levels)
    {
        EXPECT_TRUE(level.plan.findings.empty()) << level.id.key << ": " << level.plan.findings.front();
        EXPECT_NE(level.id.name, fs::path(level.id.key).stem().string()) << "each is named by its map";
    }
}
