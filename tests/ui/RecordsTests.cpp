// The record tables: the ten best games of each level and difficulty, a records file the game
// cannot use (kept aside, never overwritten), and the lose screen that enters every game into its
// table while only a game on the first level on Normal is held against highscore.json.

#include "gameplay/GameplayManager.hpp"
#include "tests/ui/UiTestSupport.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/RecordsFile.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using testing_support::Lines;
using testing_support::ReadFile;

namespace
{
class RecordsTest : public testing::Test
{
protected:
    void SetUp() override { testing_support::ResetUi(); }
    void TearDown() override { testing_support::ResetUi(); }

    std::string Path() const { return (game.assets() / "records.json").string(); }
    static RecordEntry Game(const std::string& name, std::int32_t score, std::int32_t wave = 3)
    {
        return {name, score, wave, "2024-05-01", 61.5f};
    }
    static std::vector<std::string> Names(const RecordTable& table)
    {
        std::vector<std::string> names;
        for (const auto& row : table)
            names.push_back(row.name);
        return names;
    }
    std::string Text(const char* name) const
    {
        const auto area = ui.gui->get<vgui::TextArea>(name);
        return area ? area->getText() : "<absent>";
    }
    bool Shown(const char* name) const
    {
        const auto area = ui.gui->get<vgui::TextArea>(name);
        return area && area->isVisible();
    }
    // Loses a game on a level and difficulty; returns what was said on standard error.
    std::vector<std::string> Lose(const LevelId& level, Difficulty difficulty, const std::string& name,
                                  std::int32_t score, std::int32_t wave)
    {
        GameplayManager::instance().level = level;
        GameplayManager::instance().difficulty = difficulty;
        ui.playerName = name;
        ui.score = score;
        ui.wave = wave;
        testing::internal::CaptureStderr();
        ui.LoadScreen("../assets/loseScreen.txt", LoseScreen);
        return Lines(testing::internal::GetCapturedStderr());
    }

    testing_support::ScratchGame game;
    UIManager& ui = UIManager::instance();
};
} // namespace

TEST_F(RecordsTest, EachTableKeepsItsTenBestAndATieRanksAboveTheOlderGame)
{
    RecordsFile records;
    for (int i = 0; i < 12; ++i)
        records.Add("a.tmj", Difficulty::Normal, Game("n" + std::to_string(i), 100 * (i % 6)));
    const RecordTable table = records.Table("a.tmj", Difficulty::Normal);
    ASSERT_EQ(table.size(), RecordLimits::TableSize);
    // Scores 500, 500, 400, 400 ... 100, 100: the later of two equal games first.
    EXPECT_EQ(Names(table),
              (std::vector<std::string>{"n11", "n5", "n10", "n4", "n9", "n3", "n8", "n2", "n7", "n1"}));
    // Equal scores: the later wave ranks higher whatever came first.
    EXPECT_EQ(records.Add("a.tmj", Difficulty::Normal, Game("deeper", 500, 9)),
              std::optional<std::size_t>(0));
    EXPECT_EQ(records.Add("a.tmj", Difficulty::Normal, Game("too low", 50)), std::nullopt);
    EXPECT_EQ(records.Add("a.tmj", Difficulty::Normal, Game("tenth", 100, 3)), std::optional<std::size_t>(9));
    // Other difficulties and levels keep tables of their own.
    EXPECT_TRUE(records.Table("a.tmj", Difficulty::Hard).empty());
    EXPECT_EQ(records.Add("b.tmj", Difficulty::Hard, Game("other", 7)), std::optional<std::size_t>(0));

    // What is saved reads back the same, with what this game does not know kept.
    std::ofstream(Path()) << R"({"version": 1, "note": {"kept": [1, 2]}, "levels": {"a.tmj": {"easy": []}}})";
    ASSERT_TRUE(SaveGameRecord(Path(), "a.tmj", Difficulty::Normal, Game("first", 1)).save.saved);
    const RecordsFile read = RecordsFile::Read(Path());
    EXPECT_TRUE(read.problem.empty()) << read.problem;
    const RecordTable saved = read.Table("a.tmj", Difficulty::Normal);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "first");
    EXPECT_EQ(saved[0].date, "2024-05-01");
    EXPECT_FLOAT_EQ(saved[0].seconds, 61.5f);
    EXPECT_NE(ReadFile(Path()).find("\"kept\""), std::string::npos);
}

TEST_F(RecordsTest, AFileTheGameCannotUseIsEmptyUntouchedAndKeptAsideWhenAGameIsWritten)
{
    const std::string tooLarge =
        R"({"version": 1, "pad": ")" + std::string(RecordLimits::MaxFileBytes, 'x') + "\"}";
    const struct
    {
        const char* what;
        std::string content;
    } bad[] = {
        {"not JSON", "{ \"version\": 1, "},
        {"a newer version", R"({"version": 2, "levels": {}})"},
        {"a table that is no list", R"({"version": 1, "levels": {"a.tmj": {"normal": 5}}})"},
        {"an entry without a score", R"({"version": 1, "levels": {"a.tmj": {"hard": [{"name": "x"}]}}})"},
        {"nested too deeply",
         R"({"version": 1, "x": )" + std::string(100, '[') + std::string(100, ']') + "}"},
        {"too large", tooLarge},
    };
    for (const auto& file : bad)
    {
        SCOPED_TRACE(file.what);
        for (const auto& entry : fs::directory_iterator(game.assets()))
            if (entry.path().filename().string().rfind("records.json", 0) == 0)
                fs::remove(entry.path());
        std::ofstream(Path(), std::ios::binary) << file.content;
        testing::internal::CaptureStderr();
        const RecordsFile read = RecordsFile::ReadAtStart(Path());
        EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()).size(), 1u);
        EXPECT_TRUE(read.broken);
        EXPECT_TRUE(read.Table("a.tmj", Difficulty::Normal).empty());
        EXPECT_EQ(ReadFile(Path()), file.content) << "reading leaves the file as it is";

        // Twice: the second broken file does not replace the first one kept.
        for (const char* kept : {".broken", ".broken.2"})
        {
            testing::internal::CaptureStderr();
            const RecordSave save = SaveGameRecord(Path(), "a.tmj", Difficulty::Hard, Game("new", 10));
            EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()).size(), 1u);
            EXPECT_TRUE(save.save.saved) << save.save.error;
            EXPECT_EQ(save.keptAs, Path() + kept);
            EXPECT_EQ(ReadFile(Path() + kept), file.content);
            EXPECT_EQ(Names(RecordsFile::Read(Path()).Table("a.tmj", Difficulty::Hard)),
                      std::vector<std::string>{"new"});
            std::ofstream(Path(), std::ios::binary) << file.content;
        }
    }
    // A missing file is said once at start too, and the first game creates it.
    fs::remove(Path());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(RecordsFile::ReadAtStart(Path()).broken);
    EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()).size(), 1u);
    const RecordSave first = SaveGameRecord(Path(), "a.tmj", Difficulty::Easy, Game("first", 1));
    EXPECT_TRUE(first.save.saved);
    EXPECT_TRUE(first.keptAs.empty());
}

TEST_F(RecordsTest, OnlyTheFirstLevelOnNormalIsHeldAgainstTheHighscoreAndEveryGameEntersItsTable)
{
    const std::string highscore = (game.assets() / "highscore.json").string();
    const std::string stored = HighscoreFileText("Keeper", 500, 5);
    std::ofstream(highscore, std::ios::binary) << stored;
    const LevelId twin{"twin.tmj", "../assets/levels/twin.tmj", "Twin Gates"};

    // Another level, then the first level on another difficulty: the record is left alone, even
    // by scores far above it, and each game heads its own table.
    EXPECT_TRUE(Lose(twin, Difficulty::Normal, "Ann", 900, 7).empty());
    EXPECT_EQ(Text("OldHighscoreText"), "A new best on Twin Gates, Normal");
    EXPECT_EQ(Text("LevelText"), "Twin Gates, Normal, #1 in its table");
    EXPECT_TRUE(Shown("AreaSmall"));
    EXPECT_FALSE(Shown("AreaBig"));
    EXPECT_TRUE(Lose(FirstLevel(), Difficulty::Easy, "Eve", 10000, 20).empty());
    EXPECT_EQ(Text("LevelText"), "Varnhold Road, Easy, #1 in its table");
    EXPECT_EQ(ReadFile(highscore), stored);

    // A lower game on the same table: its best stands, as a stored record does.
    Lose(twin, Difficulty::Normal, "Bob", 400, 6);
    EXPECT_EQ(Text("OldHighscoreText"), "Best on Twin Gates, Normal");
    EXPECT_EQ(Text("OldHighscoreNameText"), "Player: Ann");
    EXPECT_EQ(Text("OldHighscoreWaveText"), "Wave: 7");
    EXPECT_EQ(Text("OldHighscoreScoreText"), "900");
    EXPECT_EQ(Text("LevelText"), "Twin Gates, Normal, #2 in its table");
    EXPECT_TRUE(Shown("AreaBig"));
    EXPECT_EQ(ReadFile(highscore), stored);

    // The first level on Normal: the design's comparison, a tie rewrites the record; the game
    // enters that table too.
    Lose(FirstLevel(), Difficulty::Normal, "Tie", 500, 4);
    EXPECT_EQ(Text("OldHighscoreText"), "You created a new Highscore");
    EXPECT_EQ(ReadFile(highscore), HighscoreFileText("Tie", 500, 4));

    const RecordsFile records = RecordsFile::Read(ui.recordsPath);
    EXPECT_EQ(Names(records.Table("twin.tmj", Difficulty::Normal)), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Names(records.Table(FirstLevelKey, Difficulty::Easy)), std::vector<std::string>{"Eve"});
    EXPECT_EQ(Names(records.Table(FirstLevelKey, Difficulty::Normal)), std::vector<std::string>{"Tie"});
    EXPECT_EQ(records.Table("twin.tmj", Difficulty::Normal)[0].date, TodayText());

    // The highscore screen shows the stored record and, beside it, the table last chosen.
    ui.LoadScreen("../assets/highscore.txt", HighscoreScreen);
    EXPECT_EQ(Text("NameText"), "Player: Tie");
    EXPECT_EQ(Text("RecordsLevelText"), "Varnhold Road - Normal");
    EXPECT_EQ(Text("RecordNames"), "Tie\n");
    testing_support::PressButton(*ui.gui, "RecordsEasyButton");
    EXPECT_EQ(Text("RecordNames"), "Eve\n");
    EXPECT_EQ(Text("RecordScores"), "10,000\n"); // whole, as every number the game shows
    EXPECT_EQ(Text("RecordWaves"), "20\n");
}
