// The highscore file (its exact bytes, escapes, bad files) and the two screens that read it; how
// a save survives links, races and full disks is in HighscoreSaveTests.cpp.

#include "services/GameCounters.hpp"
#include "tests/ui/UiTestSupport.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using testing_support::Lines;
using testing_support::ReadFile;
using testing_support::ScratchGame;

namespace
{

TEST(HighscoreFileText, IsTheFiveLineRecordByteForByte)
{
    const std::string expected = "{ \n"
                                 "\"name\" : \"Player 1\", \n"
                                 "\"score\" : 1234, \n"
                                 "\"wave\" : 5\n"
                                 " }";
    EXPECT_EQ(expected.size(), 55u);
    EXPECT_EQ(HighscoreFileText("Player 1", 1234, 5), expected);
    EXPECT_EQ(HighscoreFileText("", -7, 0), "{ \n\"name\" : \"\", \n\"score\" : -7, \n\"wave\" : 0\n }");
}

TEST(HighscoreFileText, NamesAreEscapedAsJsonAndReadBackExactly)
{
    const std::string names[] = {
        "Ann \"Q\" \\ Lee", "two\nlines", "cr\r\nlf",   "tab\there", std::string("bell\x07 nul\x01 us\x1f"),
        "back\bform\f",     "del\x7f",    "Åsa 名前 🏰", "/slash/",   "\\u0041 not an escape",
    };
    for (const auto& name : names)
    {
        SCOPED_TRACE(nlohmann::json(name).dump());
        const std::string text = HighscoreFileText(name, 42, 3);
        // Escaped control characters keep the record at five lines.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
        // The body is what the JSON library itself writes between the quotes.
        const std::string body = nlohmann::json(name).dump();
        EXPECT_EQ(text, "{ \n\"name\" : " + body + ", \n\"score\" : 42, \n\"wave\" : 3\n }");
        const StoredHighscore read = ParseHighscore(text);
        EXPECT_TRUE(read.valid) << read.problem;
        EXPECT_EQ(read.name, name);
        EXPECT_EQ(read.score, 42);
        EXPECT_EQ(read.WaveText(), "3");
    }
    // The reader also takes CR LF line ends.
    const StoredHighscore crlf =
        ParseHighscore("{ \r\n\"name\" : \"A\", \r\n\"score\" : 5, \r\n\"wave\" : 1\r\n }");
    EXPECT_TRUE(crlf.valid);
    EXPECT_EQ(crlf.score, 5);
}

class HighscoreTest : public testing::Test
{
protected:
    void SetUp() override { testing_support::ResetUi(); }

    std::string Record() const { return (game.assets() / "highscore.json").string(); }

    std::vector<std::string> LoadCapturing(const std::string& form, ScreenKind kind)
    {
        testing::internal::CaptureStderr();
        ui.LoadScreen(form, kind);
        return Lines(testing::internal::GetCapturedStderr());
    }

    vgui::TextArea& Area(const char* name)
    {
        const auto area = ui.gui->get<vgui::TextArea>(name);
        if (!area)
            ADD_FAILURE() << "no text area " << name;
        static auto spare = vgui::TextArea::create();
        return area ? *area : *spare;
    }

    void LoseGame(const std::string& name, std::int32_t money, std::int32_t score, std::int32_t wave)
    {
        ui.playerName = name;
        ui.money = money;
        ui.score = score;
        ui.wave = wave;
        ui.LoadScreen("../assets/loseScreen.txt", LoseScreen);
    }

    std::vector<std::string> FolderListing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(game.assets()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchGame game;
    UIManager& ui = UIManager::instance();
};

TEST_F(HighscoreTest, ReadingTakesWholeRecordsAndCutsFractions)
{
    game.WriteAsset("highscore.json",
                    "  {\"score\": 12.9, \"name\": \"F\", \"wave\": 4, \"extra\": [1]}\n\n");
    StoredHighscore read = ReadHighscore(Record());
    EXPECT_TRUE(read.valid) << read.problem;
    EXPECT_EQ(read.score, 12);
    EXPECT_EQ(read.name, "F");

    game.WriteAsset("highscore.json", "{\"score\": -12.9, \"name\": \"F\", \"wave\": 4}");
    read = ReadHighscore(Record());
    EXPECT_TRUE(read.valid);
    EXPECT_EQ(read.score, -12);

    // No wave: still a record, and the wave shows as the JSON library's null.
    game.WriteAsset("highscore.json", "{\"score\": 700, \"name\": \"NoWave\"}");
    read = ReadHighscore(Record());
    EXPECT_TRUE(read.valid);
    EXPECT_EQ(read.WaveText(), "null");
    LoseGame("Me", 1, 10, 1);
    EXPECT_EQ(Area("OldHighscoreText").getText(), "Local Highscore");
    EXPECT_EQ(Area("OldHighscoreWaveText").getText(), "Wave: null");
    EXPECT_EQ(Area("OldHighscoreScoreText").getText(), "700");
    EXPECT_EQ(Area("OldHighscoreNameText").getText(), "Player: NoWave");
}

TEST_F(HighscoreTest, ARecordWithoutAStringNameStillStandsWithAnEmptyName)
{
    for (const char* file : {"{\"score\": 900, \"wave\": 1}", "{\"name\": 5, \"score\": 900, \"wave\": 1}"})
    {
        SCOPED_TRACE(file);
        game.WriteAsset("highscore.json", file);
        const auto lines = LoadCapturing("../assets/highscore.txt", HighscoreScreen);
        EXPECT_TRUE(lines.empty()) << "a nameless record is still a record";
        EXPECT_EQ(Area("NameText").getText(), "Player: ");
        EXPECT_EQ(Area("ScoreText").getText(), "900");

        LoseGame("Me", 1, 899, 2);
        EXPECT_EQ(Area("OldHighscoreText").getText(), "Local Highscore");
        EXPECT_EQ(Area("OldHighscoreNameText").getText(), "Player: ");
        EXPECT_EQ(ReadFile(Record()), file);
    }
}

TEST_F(HighscoreTest, EveryBadFileIsNoRecordWithOneLineAndTheLoseScreenWritesANewOne)
{
    struct Bad
    {
        const char* what;
        const char* content; // nullptr: missing
    };
    const Bad bad[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"not JSON", "Player 1 1234 5"},
        {"comment", "// best\n{\"name\": \"A\", \"score\": 1, \"wave\": 1}"},
        {"trailing text", "{\"name\": \"A\", \"score\": 1, \"wave\": 1} x"},
        {"an array", "[\"A\", 1, 1]"},
        {"a number", "1234"},
        {"no score", "{\"name\": \"A\", \"wave\": 1}"},
        {"string score", "{\"name\": \"A\", \"score\": \"900\", \"wave\": 1}"},
        {"null score", "{\"name\": \"A\", \"score\": null, \"wave\": 1}"},
        {"huge score", "{\"name\": \"A\", \"score\": 1e300, \"wave\": 1}"},
        {"too big for 32 bits", "{\"name\": \"A\", \"score\": 4294967296, \"wave\": 1}"},
        {"truncated", "{ \n\"name\" : \"A\", \n\"sco"},
    };
    for (const auto& file : bad)
    {
        SCOPED_TRACE(file.what);
        if (file.content)
            game.WriteAsset("highscore.json", file.content);
        else
            game.RemoveAsset("highscore.json");
        EXPECT_FALSE(ReadHighscore(Record()).valid);

        const auto highscoreLines = LoadCapturing("../assets/highscore.txt", HighscoreScreen);
        EXPECT_EQ(highscoreLines.size(), 1u);
        EXPECT_EQ(ui.currentScreen, HighscoreScreen);

        ui.playerName = "Newcomer";
        ui.score = 0; // even a score of 0 beats no record
        ui.wave = 1;
        const auto loseLines = LoadCapturing("../assets/loseScreen.txt", LoseScreen);
        EXPECT_EQ(loseLines.size(), 1u);
        EXPECT_EQ(Area("OldHighscoreText").getText(), "You created a new Highscore");
        EXPECT_FALSE(Area("AreaBig").isVisible());
        EXPECT_TRUE(Area("AreaSmall").isVisible());
        EXPECT_EQ(ReadFile(Record()), HighscoreFileText("Newcomer", 0, 1));
    }

    // A directory where the file should be: no record, and it cannot be replaced either, which
    // the screen and one more line say.
    game.RemoveAsset("highscore.json");
    fs::create_directory(Record());
    fs::create_directory(Record() + "/keep");
    EXPECT_FALSE(ReadHighscore(Record()).valid);
    const auto before = FolderListing();
    const auto lines = LoadCapturing("../assets/loseScreen.txt", LoseScreen);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "Could not save the highscore \"../assets/highscore.json\": highscore.json is a folder");
    EXPECT_EQ(Area("OldHighscoreText").getText(), "Could not save the highscore: highscore.json is a folder");
    EXPECT_FALSE(Area("AreaSmall").isVisible()) << "no congratulation on a record that was not kept";
    EXPECT_TRUE(fs::is_directory(Record() + "/keep"));
    EXPECT_EQ(FolderListing(), before) << "no temporary file may stay behind";
}

TEST_F(HighscoreTest, LoseScreenKeepsAHigherRecordAndShowsIt)
{
    const std::string stored = HighscoreFileText("Old \"One\"", 500, 7);
    game.WriteAsset("highscore.json", stored);
    const auto lines = LoadCapturing("../assets/loseScreen.txt", LoseScreen);
    EXPECT_TRUE(lines.empty());

    LoseGame("Me", 35, 499, 4);
    EXPECT_EQ(Area("LoseText").getText(), "Your Base got destroyed in Wave 4");
    EXPECT_EQ(Area("MoneyText").getText(), "35");
    EXPECT_EQ(Area("ScoreText").getText(), "499");
    EXPECT_EQ(Area("OldHighscoreText").getText(), "Local Highscore");
    EXPECT_EQ(Area("OldHighscoreNameText").getText(), "Player: Old \"One\"");
    EXPECT_EQ(Area("OldHighscoreWaveText").getText(), "Wave: 7");
    EXPECT_EQ(Area("OldHighscoreScoreText").getText(), "500");
    for (const char* shown :
         {"OldHighscoreNameText", "OldHighscoreWaveText", "OldHighscoreScoreText", "AreaBig"})
        EXPECT_TRUE(Area(shown).isVisible()) << shown;
    EXPECT_FALSE(Area("AreaSmall").isVisible());
    EXPECT_EQ(ReadFile(Record()), stored);
}

TEST_F(HighscoreTest, ATieIsANewRecordAndTheHighscoreScreenShowsItAsTyped)
{
    game.WriteAsset("highscore.json", HighscoreFileText("Old", 500, 7));
    const std::string name = "Ann \"Q\" \\ Lee\n\t名";
    LoseGame(name, 0, 500, 9);
    EXPECT_EQ(Area("LoseText").getText(), "Your Base got destroyed in Wave 9");
    EXPECT_EQ(Area("OldHighscoreText").getText(), "You created a new Highscore");
    for (const char* hidden :
         {"OldHighscoreNameText", "OldHighscoreWaveText", "OldHighscoreScoreText", "AreaBig"})
        EXPECT_FALSE(Area(hidden).isVisible()) << hidden;
    EXPECT_TRUE(Area("AreaSmall").isVisible());
    EXPECT_EQ(ReadFile(Record()), HighscoreFileText(name, 500, 9));

    ui.LoadScreen("../assets/highscore.txt", HighscoreScreen);
    EXPECT_EQ(Area("NameText").getText(), "Player: " + name);
    EXPECT_EQ(Area("WaveText").getText(), "Wave: 9");
    EXPECT_EQ(Area("ScoreText").getText(), "500");

    // A stored 0 is tied by a game with score 0.
    game.WriteAsset("highscore.json", HighscoreFileText("Zero", 0, 1));
    LoseGame("Also zero", 0, 0, 1);
    EXPECT_EQ(ReadFile(Record()), HighscoreFileText("Also zero", 0, 1));
}

TEST_F(HighscoreTest, ALoseFormWithoutTheMessageOrNoFormAtAllStillSavesTheRecord)
{
    game.WriteAsset("highscore.json", HighscoreFileText("Old", 5, 1));
    game.WriteAsset(
        "loseScreen.txt",
        "TextArea.LoseText { Size = (300, 40); }\nTextArea.AreaSmall { Size = (10, 10); Visible = false; }");
    LoseGame("Me", 0, 900, 3);
    EXPECT_EQ(Area("LoseText").getText(), "Your Base got destroyed in Wave 3");
    EXPECT_TRUE(Area("AreaSmall").isVisible());
    EXPECT_EQ(ReadFile(Record()), HighscoreFileText("Me", 900, 3));

    game.RemoveAsset("loseScreen.txt");
    testing::internal::CaptureStderr();
    LoseGame("Next", 0, 901, 4);
    (void)testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(Record()), HighscoreFileText("Next", 901, 4));
}

// The account of a long game: every figure six digits and more, and the best tower's kind the one
// with the longest name. In the shipped form with the game's font, nothing wraps or is cut, and
// the words are the game's (the design's sentence is there for the forms that look it up, unseen).
TEST_F(HighscoreTest, TheLoseScreenSpeaksOfTheKeepAndFitsSixDigitNumbersOnTheirLines)
{
    sf::Font font;
    ASSERT_TRUE(font.loadFromFile((testing_support::SourceAssets() / "arial.ttf").string()));
    ui.gui->setFont(std::make_shared<sf::Font>(font));
    auto& statistics = GameCounters::instance().statistics;
    statistics.timeSurvived = 5 * 3600.f + 59 * 60.f + 59.f;
    statistics.killsByKind = {987654, 123456, 654321};
    statistics.towersBuilt = 123456;
    statistics.goldEarned = 9876543;
    statistics.goldSpent = 9876500;
    statistics.bestTowerKind = 2;
    statistics.bestTowerKills = 1234567;
    game.WriteAsset("highscore.json", HighscoreFileText("Old", 999999999, 99));
    LoseGame("Me", 9876543, 1234567, 123);

    EXPECT_EQ(Area("KeepFellText").getText(), "The keep fell in wave 123");
    EXPECT_EQ(Area("MoneyText").getText(), "9,876,543");
    EXPECT_EQ(Area("ScoreText").getText(), "1,234,567");
    EXPECT_EQ(Area("OldHighscoreScoreText").getText(), "999,999,999");
    const std::string account = Area("StatisticsText").getText();
    for (const char* line :
         {"Enemies killed: 1,765,431\n", "    middle: 123,456\n", "Gold earned: 9,876,543\n",
          "Best tower: Small rocket tower\n    with 1,234,567 kills"})
        EXPECT_NE(account.find(line), std::string::npos) << line << " in\n" << account;
    EXPECT_FALSE(Area("LoseText").isVisible());
    EXPECT_EQ(Area("LoseText").getText(), "Your Base got destroyed in Wave 123");

    // Every text shown: on its own lines, all of them in sight, and no word of a base.
    std::vector<std::shared_ptr<vgui::Widget>> open(ui.gui->getWidgets().begin(), ui.gui->getWidgets().end());
    int shown = 0;
    while (!open.empty())
    {
        const auto widget = open.back();
        open.pop_back();
        if (!widget->isVisible())
            continue;
        if (const auto container = std::dynamic_pointer_cast<vgui::Container>(widget))
            open.insert(open.end(), container->getWidgets().begin(), container->getWidgets().end());
        const auto area = std::dynamic_pointer_cast<vgui::TextArea>(widget);
        if (!area || area->getText().empty())
            continue;
        ++shown;
        const std::string text = area->getText();
        SCOPED_TRACE(widget->getName() + ": " + text);
        EXPECT_EQ(area->getLinesCount(),
                  static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n') + 1));
        EXPECT_LE(area->getLinesCount(), area->getVisibleLinesCount());
        EXPECT_EQ(text.find("Base"), std::string::npos);
    }
    EXPECT_GE(shown, 9);
}

} // namespace
