// Levels and difficulty through the game's own frames: each difficulty bends only its row of the
// table (Normal none), Easy waits for Start (N); the level select chooses with keys and mouse,
// plays only what its check allows, and what it chose is what the main menu's Play starts, with
// the main menu of the original form set too; without its form the select is built in code.

#include "entities/GameObjectManager.hpp"
#include "entities/MotionComponents.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Waves.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
constexpr float Step = 1.f / 60.f;

sf::Event Key(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    return event;
}

class LevelsInTheGame : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        driver = std::make_unique<testing_support::GameDriver>();
        driver->picture = FrameOptions::Picture::Placed;
    }
    void TearDown() override
    {
        GameTest::TearDown();
        driver.reset();
    }
    // Frames until the condition holds; false after the game's minute.
    bool FramesUntil(const std::function<bool()>& condition)
    {
        for (int frame = 0; frame < 3600; ++frame)
        {
            if (condition())
                return true;
            driver->Frame(Step);
        }
        return condition();
    }
    // A key pressed in one frame, seen by the next frame's update.
    void Press(sf::Keyboard::Key code)
    {
        driver->Frame(Step, {Key(code)});
        driver->Frame(Step);
    }
    static std::shared_ptr<GameObject> FirstEnemy()
    {
        for (const auto& object : GameObjectManager::instance().objects)
            if (object->type == ObjectType::Enemy && object->alive)
                return object;
        return nullptr;
    }
    bool InGame() const { return GameStateManager::instance().currentState == &driver->game->gamePlay; }

    std::unique_ptr<testing_support::GameDriver> driver;
    UIManager& ui = UIManager::instance();
    GameplayManager& gameplay = GameplayManager::instance();
    GameCounters& counters = GameCounters::instance();
};
} // namespace

TEST_F(LevelsInTheGame, EachDifficultyBendsOnlyItsRowAndEasyWaitsForStart)
{
    for (const Difficulty difficulty : Difficulties)
    {
        const DifficultyNumbers& row = DifficultyOf(difficulty);
        SCOPED_TRACE(row.name);
        gameplay.difficulty = difficulty;
        driver->StartGame();
        ASSERT_TRUE(InGame());
        EXPECT_EQ(counters.money, row.startGold);
        const auto spawner = gameplay.spawner.lock();
        ASSERT_TRUE(spawner);
        // The shipped level's spawner: middle enemies from wave 3, hard ones from 6, a second apart.
        EXPECT_EQ(spawner->middleStartWave, 3 + row.middleWaveShift);
        EXPECT_EQ(spawner->hardStartWave, 6 + row.hardWaveShift);
        EXPECT_FLOAT_EQ(spawner->GetOwner()->FindComponent<TimerComponent>()->interval, row.spawnPauseFactor);
        EXPECT_EQ(gameplay.wavesHeld, row.waitsForStart);

        if (row.waitsForStart)
        {
            // Three seconds of building time: no wave, no enemy, no time survived.
            for (int frame = 0; frame < 180; ++frame)
                driver->Frame(Step);
            EXPECT_EQ(counters.wave, 0);
            EXPECT_FALSE(FirstEnemy());
            EXPECT_EQ(counters.statistics.timeSurvived, 0.f);
            Press(sf::Keyboard::N);
            EXPECT_FALSE(gameplay.wavesHeld);
        }
        ASSERT_TRUE(FramesUntil([] { return FirstEnemy() != nullptr; }));
        EXPECT_EQ(counters.wave, 1);
        // A weak enemy of wave 1: 300 hit points on Normal, the table's share of them otherwise.
        const auto status = FirstEnemy()->GetComponent<StatusComponent>();
        // and 5 gold for its kill on Normal, the table's share of them otherwise.
        EXPECT_EQ(status->health, 300u * static_cast<unsigned>(row.enemyHealthPercent) / 100u);
        EXPECT_EQ(status->moneyReward, 5 * row.killGoldPercent / 100);
        if (difficulty == Difficulty::Normal)
        {
            EXPECT_EQ(status->health, 300u);
            EXPECT_EQ(status->moneyReward, 5);
        }
        GameStateManager::instance().ChangeState("MainMenu");
    }
}

TEST_F(LevelsInTheGame, TheSelectChoosesWithKeysAndMousePlaysOnlyWhatItsCheckAllowsAndPlayRemembersIt)
{
    fs::remove_all(game.assets() / "levels");
    fs::create_directories(game.assets() / "levels");
    std::ifstream in(testing_support::SourceAssets() / "game.tmj");
    nlohmann::json map = nlohmann::json::parse(in);
    map["tilesets"][0]["image"] = "../tilesheet.png";
    map["properties"] = {{{"name", "Name"}, {"type", "string"}, {"value", "Alpha"}}};
    game.WriteAsset("levels/a.tmj", map.dump());
    game.WriteAsset("levels/b.tmj", "{ \"width\": 3 }");

    GameStateManager::instance().ChangeState("MainMenu");
    testing_support::PressButton(*ui.gui, "LevelsButton");
    ASSERT_EQ(ui.currentScreen, LevelSelectScreen);
    auto& select = ui.LevelSelect();
    ASSERT_EQ(select.Levels().size(), 3u);
    EXPECT_EQ(select.Chosen(), 0u);
    ASSERT_TRUE(ui.gui->get("Card2"));

    // The arrows move the choice; the refused level's Play is disabled, and Enter does nothing.
    Press(sf::Keyboard::Right);
    Press(sf::Keyboard::Right);
    EXPECT_EQ(select.Chosen(), 2u);
    EXPECT_FALSE(ui.gui->get<vgui::Button>("PlayLevelButton")->isEnabled());
    Press(sf::Keyboard::Enter);
    EXPECT_FALSE(InGame());
    EXPECT_EQ(ui.currentScreen, LevelSelectScreen);

    // A click chooses a card, a click on the chosen one plays; Hard is kept in the settings.
    Press(sf::Keyboard::Left);
    EXPECT_EQ(select.Chosen(), 1u);
    testing_support::PressButton(*ui.gui, "HardButton");
    EXPECT_EQ(Settings::instance().difficulty, "hard");
    testing_support::PressButton(*ui.gui, "PlayLevelButton");
    ASSERT_TRUE(InGame());
    EXPECT_EQ(gameplay.level.key, "a.tmj");
    EXPECT_EQ(gameplay.level.name, "Alpha");
    EXPECT_EQ(gameplay.difficulty, Difficulty::Hard);
    EXPECT_EQ(counters.money, DifficultyOf(Difficulty::Hard).startGold);
    EXPECT_EQ(ui.gui->get<vgui::TextArea>("DifficultyText")->getText(), "Hard - Alpha");
    EXPECT_EQ(Settings::instance().level, "a.tmj");

    // Back in the menu, Play starts that level again, and so does the main menu of the original
    // form set, which has no Levels button.
    ui.LeaveGame();
    testing_support::PressButton(*ui.gui, "PlayGameButton");
    EXPECT_TRUE(InGame());
    EXPECT_EQ(gameplay.level.key, "a.tmj");
    ui.LeaveGame();
    game.WriteAsset("mainMenu.txt", "TextArea.Name { Size = (300, 40); }\n"
                                    "Button.PlayGameButton { Position = (0, 50); Size = (300, 50); }\n"
                                    "Button.ExitGameButton { Position = (0, 110); Size = (300, 50); }\n");
    ui.LoadScreen(AssetPath("mainMenu.txt"), MainMenuScreen);
    testing_support::PressButton(*ui.gui, "PlayGameButton");
    EXPECT_TRUE(InGame());
    EXPECT_EQ(gameplay.level.key, "a.tmj");
    EXPECT_EQ(gameplay.difficulty, Difficulty::Hard);

    // A first run (no choice kept) plays the first level on Normal; the level chosen once removed
    // does too.
    ui.LeaveGame();
    fs::remove(game.assets() / "levels" / "a.tmj");
    testing_support::PressButton(*ui.gui, "PlayGameButton");
    EXPECT_EQ(gameplay.level.key, FirstLevelKey);
    ui.LeaveGame();
    Settings::instance().Reset();
    testing_support::PressButton(*ui.gui, "PlayGameButton");
    EXPECT_EQ(gameplay.level.key, FirstLevelKey);
    EXPECT_EQ(gameplay.difficulty, Difficulty::Normal);
    EXPECT_EQ(counters.money, 150);
}

TEST_F(LevelsInTheGame, WithoutItsFormTheSelectIsBuiltInCodeAndStillPlays)
{
    game.RemoveAsset("levelSelect.txt");
    GameStateManager::instance().ChangeState("MainMenu");
    testing::internal::CaptureStderr();
    testing_support::PressButton(*ui.gui, "LevelsButton");
    const auto said = testing_support::Lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("Failed to load widgets from file: ", 0), 0u);
    EXPECT_EQ(ui.currentScreen, LevelSelectScreen);
    EXPECT_EQ(ui.LevelSelect().Levels().size(), 5u) << "the shipped levels";
    EXPECT_TRUE(ui.gui->get("Card4"));
    testing_support::PressButton(*ui.gui, "EasyButton");
    Press(sf::Keyboard::Right);
    Press(sf::Keyboard::Enter);
    ASSERT_TRUE(InGame());
    EXPECT_EQ(gameplay.level.key, ui.LevelSelect().Levels()[1].id.key);
    EXPECT_EQ(gameplay.difficulty, Difficulty::Easy);
    // And its Back leads to the menu.
    ui.LeaveGame();
    testing_support::PressButton(*ui.gui, "LevelsButton");
    testing_support::PressButton(*ui.gui, "ReturnButton");
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);
}
