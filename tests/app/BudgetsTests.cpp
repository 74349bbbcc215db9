// Every budget filled to its edge at once, by files that each keep within their caps: the
// textures, the glyphs of the font, the images of the forms, the sounds, the level's tiles and the
// living enemies. Played in a child process of its own (its peak memory measured), the game must
// say what it refused, one line each naming the file and the budget, and stay under 300 MB.

#include "app/GamePlay.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/MapChecker.hpp"
#include "services/AssetFiles.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tiled/TiledMap.hpp"
#include "ui/Screen.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>
#include <SFML/System/Utf.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

using nlohmann::json;

namespace
{
void Picture(const testing_support::ScratchGame& game, const std::string& name, unsigned side)
{
    sf::Image image;
    image.create(side, side, sf::Color(200, 60, 60));
    ASSERT_TRUE(image.saveToFile((game.assets() / name).string()));
}

// A mono 16-bit PCM WAV of silence.
std::string Wav(std::uint32_t samples)
{
    std::string wav = "RIFF";
    const auto le = [&wav](std::uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    le(36 + 2 * samples, 4);
    wav += "WAVEfmt ";
    le(16, 4), le(1, 2), le(1, 2), le(44100, 4), le(88200, 4), le(2, 2), le(16, 2);
    wav += "data";
    le(2 * samples, 4);
    return wav + std::string(2 * std::size_t{samples}, '\0');
}

// count distinct characters from first on (UTF-8), each a glyph of 160 KiB to the budget at size
// 200; the quote and the backslash are left out.
std::string Glyphs(char32_t first, std::size_t count)
{
    std::string text;
    for (char32_t c = first; count > 0; ++c)
    {
        if (c == '"' || c == '\\')
            continue;
        sf::Utf8::encode(c, std::back_inserter(text));
        --count;
    }
    return text;
}

std::string Label(const std::string& name, const std::string& text)
{
    return "Label." + name + " { Text = \"" + text + "\"; TextSize = 200; IgnoreMouseEvents = true; }\n";
}

// The shipped level as a 128 x 128 world of one tile (16,384 drawn, the budget) in four layers
// (65,536 cells, the budget), a keep of 10,000,000 hit points, 64 spawners on one spot sending
// 10,000 a wave at a tick every other frame, and a second tileset whose image no longer fits.
std::string Level()
{
    json map;
    std::ifstream(testing_support::SourceAssets() / "game.tmj") >> map;
    json layers = json::array();
    for (int k = 0; k < 4; ++k)
        layers.push_back({{"type", "tilelayer"},
                          {"name", "L" + std::to_string(k)},
                          {"width", 128},
                          {"height", 128},
                          {"data", std::vector<int>(128 * 128, k == 0 ? 1 : 0)}});
    for (auto& layer : map["layers"])
    {
        if (layer["type"] != "objectgroup")
            continue;
        json spawners = json::array();
        for (auto& object : layer["objects"])
        {
            if (!object.contains("properties"))
                continue;
            // By reference: the properties of the map itself change.
            for (auto& property : object["properties"])
            {
                const std::string name = property["name"];
                if (name == "Health")
                    property["value"] = 10'000'000;
                else if (name == "WaveSize")
                    property["value"] = 10'000;
                else if (name == "SpawnRate")
                    property["value"] = 0.001;
                else if (name == "MiddleEnemy" || name == "HardEnemy")
                    property["value"] = 1;
            }
            for (int i = 0; object["type"] == "Spawner" && i < 63; ++i)
            {
                spawners.push_back(object);
                spawners.back()["id"] = 2000 + i;
            }
        }
        for (const auto& spawner : spawners)
            layer["objects"].push_back(spawner);
        layers.push_back(layer);
    }
    map["layers"] = layers;
    map["width"] = map["height"] = 128;
    json extra = map["tilesets"][0];
    extra["name"] = "extra", extra["image"] = "extra.png", extra["firstgid"] = 10'000;
    map["tilesets"].push_back(extra);
    return map.dump();
}
} // namespace

TEST(Budgets, EveryBudgetFilledToItsEdgeAtOnceStaysUnderTheMemoryGoal)
{
    testing_support::ScratchGame game;
    // Textures: seven of 4 MiB, the enemies' three of 1 MiB, 31.6 MiB with the shipped rest; the
    // level's second tileset (1 MiB) no longer fits. The collision copies of the enemies' and
    // shots' pictures come on top.
    for (const char* name : {"tilesheet.png", "base.png", "base2.png", "base3.png", "tower_platform.png",
                             "tower_platform_shape.png", "tower_1_base.png"})
        Picture(game, name, 1024);
    for (const char* name : {"enemy_1.png", "enemy_2.png", "enemy_3.png", "extra.png"})
        Picture(game, name, 512);
    // Sounds: the shipped ones with one of 1,900,000 samples fit (2,028,331); one more does not.
    game.WriteAsset("pvc-rocket-cannon-90116.wav", Wav(1'900'000));
    game.WriteAsset("sell.wav", Wav(100'000));
    // Form images: the menu's backdrop is the whole budget, so the settings panel's picture over
    // it is refused (and the panel's stand-in shows).
    Picture(game, "menu_backdrop.png", 2048);
    Picture(game, "dot.png", 1);
    game.WriteAsset("settings.txt", "Picture.Dot { Renderer { Texture = \"dot.png\"; } }\n");
    // Glyphs: the menu's text at size 200 takes most of what forms may use; the controls screen's
    // would pass it; a record's name shown at size 200 takes the rest of the font's budget.
    const std::string menu =
        testing_support::ReadFile((testing_support::SourceAssets() / "mainMenu.txt").string());
    game.WriteAsset("mainMenu.txt", menu +
                                        "Picture.Backdrop { Size = (64, 64); IgnoreMouseEvents = true; "
                                        "Renderer { Texture = \"menu_backdrop.png\"; } }\n" +
                                        Label("Huge", Glyphs(U'0', 28)));
    game.WriteAsset("controls.txt",
                    "Label.Title { Text = \"Keys\"; }\n" + Label("Over", Glyphs(U'\u0100', 20)));
    std::string highscore =
        testing_support::ReadFile((testing_support::SourceAssets() / "highscore.txt").string());
    const std::size_t nameText = highscore.find("TextSize", highscore.find("TextArea.NameText {"));
    highscore.replace(nameText, highscore.find(';', nameText) - nameText, "TextSize = 200");
    // In a box that shows every one of its glyphs.
    const std::size_t nameSize = highscore.find("Size = (", highscore.find("TextArea.NameText {"));
    highscore.replace(nameSize, highscore.find(';', nameSize) - nameSize, "Size = (1280, 720)");
    game.WriteAsset("highscore.txt", highscore);
    game.WriteAsset("highscore.json",
                    "{\"name\": \"" + Glyphs(U'\u00C0', 192) + "\", \"score\": 1, \"wave\": 1}");
    game.WriteAsset("game.tmj", Level());

    const auto run = testing_support::InChild(
        [&]
        {
            std::ostringstream said;
            sf::err().rdbuf(said.rdbuf());
            std::cerr.rdbuf(said.rdbuf());
            std::cout.rdbuf(said.rdbuf());
            testing_support::KeepGlContext();
            LoadGameAssets(AssetManager::instance());
            testing_support::ResetWorld();
            testing_support::GameDriver driver({1280, 720});
            auto& ui = UIManager::instance();
            const auto frames = [&](int count)
            {
                for (int i = 0; i < count; ++i)
                    driver.Frame(1.f / 60.f);
            };
            GameStateManager::instance().ChangeState("MainMenu");
            frames(2);
            testing_support::PressButton(*ui.gui, "SettingsButton");
            frames(2);
            ui.LoadScreen("../assets/controls.txt", ControlsScreen);
            frames(2);

            // The game: only placed, not drawn, until the end (1000 enemies of 614 pixels).
            driver.StartGame();
            driver.picture = FrameOptions::Picture::Placed;
            auto& gameplay = GameplayManager::instance();
            for (int i = 0; i < 3600 && gameplay.liveEnemies < GameplayManager::MaxLiveEnemies; ++i)
                frames(1);
            // A long game makes the collision copy of every enemy's and shot's picture.
            for (const char* key : {"enemy_1", "enemy_2", "enemy_3", "projectile", "rocketSmallBase",
                                    "rocketSmallUpgrade1", "rocketBig"})
                (void)AssetManager::instance().GetMask(&AssetManager::instance().GetTexture(key));
            frames(60);
            driver.picture = FrameOptions::Picture::Drawn;
            frames(2);
            // Last, the record's name at size 200 takes the rest of the font's budget: text set from
            // code is drawn as spaces past it.
            ui.LoadScreen("../assets/highscore.txt", HighscoreScreen);
            frames(2);
            gameplay.CountLiveEnemies();
            const auto& font = AssetManager::instance().fonts["arial"];
            return "textures " + std::to_string(AssetManager::instance().TextureBytes()) + " sounds " +
                   std::to_string(AssetManager::instance().SoundSamples()) + " glyphs " +
                   std::to_string(vgui::glyphBytes(font.get())) + " living " +
                   std::to_string(gameplay.liveEnemies) + "\n" + said.str();
        });
    EXPECT_FALSE(run.hung) << "still running at the hang ceiling";
    ASSERT_TRUE(run.exited && run.status == 0) << "died: signal " << run.signal << "\n" << run.output;
    EXPECT_LT(run.peakMegabytes, testing_support::MostMegabytes) << run.output;
    std::cout << "peak " << run.peakMegabytes << " MB; " << run.output.substr(0, run.output.find('\n'))
              << std::endl;

    std::istringstream figures(run.output);
    std::string word;
    std::uint64_t textures = 0, sounds = 0, glyphs = 0;
    int living = 0;
    figures >> word >> textures >> word >> sounds >> word >> glyphs >> word >> living;
    // Up to the edge and not past it, but for the collision copies (3 MiB here), which come on top.
    EXPECT_GT(textures, AssetLimits::MaxTextureBytes);
    EXPECT_LE(textures, AssetLimits::MaxTextureBytes + (std::uint64_t{3} << 20) + (std::uint64_t{16} << 10));
    EXPECT_EQ(sounds, 2'028'331u);
    EXPECT_GT(glyphs, vgui::MaxFontGlyphBytes - 160 * 1024);
    EXPECT_LE(glyphs, vgui::MaxFontGlyphBytes);
    EXPECT_EQ(living, GameplayManager::MaxLiveEnemies) << "at the bound the spawners wait";

    // One line per refusal, naming the file and the budget.
    for (const std::string line :
         {"Could not load texture \"../assets/extra.png\": its 512 x 512 pixels (1 MiB decoded) would take "
          "the "
          "game's textures to ",
          "Failed to open sound file \"../assets/sell.wav\": its 100000 samples would take the game's sounds "
          "to "
          "2128331, past their budget of 2097152 samples",
          "Failed to load widgets from file: ../assets/settings.txt: Error while loading 'Picture.Dot' at "
          "line 1: "
          "With the image '../assets/dot.png' (1 x 1) the images of the forms on screen pass 4194304 pixels "
          "in "
          "all.",
          "Failed to load widgets from file: ../assets/controls.txt: Error while loading 'Label.Over' at "
          "line 2: "
          "Its text at size 200 would take the font's glyphs to ",
          "The font's glyphs reached their budget of 8 MiB: character ",
          "Living enemies reached their bound of 1000: the spawners wait until some die"})
        EXPECT_NE(run.output.find("\n" + line), std::string::npos) << line << "\n" << run.output;
}

// The room the shipped game leaves: its levels, every screen drawn, and a long game on its level
// with a keep that does not fall use less than half of each budget, so that levels and art added
// later keep the same margin. The figures are printed for the README.
TEST(Budgets, TheShippedGameAndItsLevelsUseLessThanHalfOfEachBudget)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> levels = {testing_support::SourceAssets() / "game.tmj"};
    if (fs::is_directory(testing_support::SourceAssets() / "levels"))
        for (const auto& entry : fs::directory_iterator(testing_support::SourceAssets() / "levels"))
            if (entry.path().extension() == ".tmj")
                levels.push_back(entry.path());
    for (const fs::path& level : levels)
    {
        const tmj::Map map = tmj::Parse(level);
        std::uint64_t cells = 0, drawn = 0;
        for (const auto& layer : map.layers)
            if (layer.type == tmj::LayerType::TileLayer)
                for (const std::uint32_t gid : layer.data)
                    ++cells, drawn += tmj::TileId(gid) != 0 ? 1u : 0u;
        std::cout << level.filename().string() << ": " << cells << " cells, " << drawn << " tiles"
                  << std::endl;
        EXPECT_LT(cells, MapLimits::MaxLevelCells / 2) << level;
        EXPECT_LT(drawn, MapLimits::MaxTilesDrawn / 2) << level;
        EXPECT_LE(std::max(map.tileWidth, map.tileHeight), MapLimits::MaxTileSide / 2) << level;
    }

    testing_support::ScratchGame game;
    json map;
    std::ifstream(testing_support::SourceAssets() / "game.tmj") >> map;
    for (auto& layer : map["layers"])
    {
        if (layer["type"] != "objectgroup")
            continue;
        for (auto& object : layer["objects"])
            if (object["type"] == "Base")
                for (auto& property : object["properties"])
                    if (property["name"] == "Health")
                        property["value"] = 10'000'000.0;
    }
    game.WriteAsset("game.tmj", map.dump());
    const std::string figures = testing_support::EndsSmall(
        [&]
        {
            testing_support::KeepGlContext();
            LoadGameAssets(AssetManager::instance());
            testing_support::ResetWorld();
            testing_support::GameDriver driver({1280, 720});
            auto& ui = UIManager::instance();
            const auto frames = [&](int count)
            {
                for (int i = 0; i < count; ++i)
                    driver.Frame(1.f / 60.f);
            };
            GameStateManager::instance().ChangeState("MainMenu");
            frames(2);
            testing_support::PressButton(*ui.gui, "SettingsButton");
            frames(2);
            for (const ScreenKind kind : {ControlsScreen, CreditsScreen, HighscoreScreen, LoseScreen})
            {
                ui.LoadScreen(std::string("../assets/") + FormFileOf(kind), kind);
                frames(2);
            }
            // Twenty minutes of game time on the shipped level, with no tower: every enemy walks
            // the whole road.
            driver.StartGame();
            driver.picture = FrameOptions::Picture::Placed;
            auto& gameplay = GameplayManager::instance();
            std::int32_t mostLiving = 0;
            for (int i = 0; i < 20 * 60 * 60; ++i)
            {
                frames(1);
                mostLiving = std::max(mostLiving, gameplay.liveEnemies);
            }
            driver.picture = FrameOptions::Picture::Drawn;
            frames(2);
            const auto& font = AssetManager::instance().fonts["arial"];
            return "textures " + std::to_string(AssetManager::instance().TextureBytes()) + " sounds " +
                   std::to_string(AssetManager::instance().SoundSamples()) + " glyphs " +
                   std::to_string(vgui::glyphBytes(font.get())) + " living " + std::to_string(mostLiving) +
                   " wave " + std::to_string(GameCounters::instance().wave);
        });
    std::cout << figures << std::endl;
    std::istringstream read(figures);
    std::string word;
    std::uint64_t textures = 0, sounds = 0, glyphs = 0;
    int living = 0;
    read >> word >> textures >> word >> sounds >> word >> glyphs >> word >> living;
    EXPECT_LT(textures, AssetLimits::MaxTextureBytes / 2);
    EXPECT_LT(sounds, AssetLimits::MaxSoundSamplesInAll / 2);
    EXPECT_LT(glyphs, vgui::MaxFormGlyphBytes / 2);
    EXPECT_GT(living, 0) << "the enemies came";
    EXPECT_LT(living, GameplayManager::MaxLiveEnemies / 2);
}
