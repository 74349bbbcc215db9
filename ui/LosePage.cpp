#include "ui/LosePage.hpp"

#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"
#include "services/GameCounters.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/Numbers.hpp"
#include "ui/RecordsFile.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>

namespace
{
const WidgetName Return{"ReturnButton", WidgetType::Button, Need::WayOn};
const WidgetName Lose{"LoseText", WidgetType::TextArea};
const WidgetName Money{"MoneyText", WidgetType::TextArea};
const WidgetName Score{"ScoreText", WidgetType::TextArea};
const WidgetName OldHighscore{"OldHighscoreText", WidgetType::TextArea};
const WidgetName OldName{"OldHighscoreNameText", WidgetType::TextArea};
const WidgetName OldWave{"OldHighscoreWaveText", WidgetType::TextArea};
const WidgetName OldScore{"OldHighscoreScoreText", WidgetType::TextArea};
const WidgetName AreaBig{"AreaBig", WidgetType::TextArea};
const WidgetName AreaSmall{"AreaSmall", WidgetType::TextArea};
const WidgetName Statistics{"StatisticsText", WidgetType::TextArea, Need::Optional};
const WidgetName KeepFell{"KeepFellText", WidgetType::TextArea, Need::Optional};
const WidgetName LevelLine{"LevelText", WidgetType::TextArea, Need::Optional};

// The level and difficulty of the game, as the lose screen names them.
std::string LevelAndDifficulty()
{
    const auto& gameplay = GameplayManager::instance();
    return gameplay.level.name + ", " + DifficultyOf(gameplay.difficulty).name;
}

std::string Place(std::size_t place)
{
    return "#" + std::to_string(place + 1);
}

// The lose screen's account of the game beside the design's texts: one short line per figure,
// so that six-digit numbers still fit on their lines.
std::string StatisticsText(const GameCounters::Statistics& statistics)
{
    const auto& kills = statistics.killsByKind;
    const std::int64_t killed =
        std::int64_t{kills[WeakEnemy]} + std::int64_t{kills[MiddleEnemy]} + std::int64_t{kills[HardEnemy]};
    std::string text = "Time survived: " + DurationText(statistics.timeSurvived) + "\n";
    text += "Enemies killed: " + WholeNumber(killed) + "\n";
    text += "    weak: " + WholeNumber(kills[WeakEnemy]) + "\n";
    text += "    middle: " + WholeNumber(kills[MiddleEnemy]) + "\n";
    text += "    hard: " + WholeNumber(kills[HardEnemy]) + "\n";
    text += "Towers built: " + WholeNumber(statistics.towersBuilt) + "\n";
    text += "Gold earned: " + WholeNumber(statistics.goldEarned) + "\n";
    text += "Gold spent: " + WholeNumber(statistics.goldSpent) + "\n";
    const TowerType* best = TowerTypeOf(statistics.bestTowerKind);
    if (!best)
        return text + "Best tower: none";
    return text + "Best tower: " + best->name + "\n    with " + WholeNumber(statistics.bestTowerKills) +
           (statistics.bestTowerKills == 1 ? " kill" : " kills");
}
} // namespace

LosePage::LosePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
                   const std::string& recordsPath, const std::string& playerName)
    : Screen(gui), host(host), highscorePath(highscorePath), recordsPath(recordsPath), playerName(playerName)
{
}

const std::vector<WidgetName>& LosePage::Names() const
{
    static const std::vector<WidgetName> names = {Return,     Lose,     Money,    Score,   OldHighscore,
                                                  OldName,    OldWave,  OldScore, AreaBig, AreaSmall,
                                                  Statistics, KeepFell, LevelLine};
    return names;
}

void LosePage::Connect()
{
    const auto& counters = GameCounters::instance();
    const auto& gameplay = GameplayManager::instance();
    // The design's words for a form written for it; the game's own beside them.
    SetText(gui, Lose.name, "Your Base got destroyed in Wave " + std::to_string(counters.wave));
    SetText(gui, KeepFell.name, "The keep fell in wave " + WholeNumber(counters.wave));
    SetText(gui, Money.name, WholeNumber(counters.money));
    SetText(gui, Score.name, WholeNumber(counters.score));
    SetText(gui, Statistics.name, StatisticsText(counters.statistics));
    if (const auto back = gui.get<vgui::Button>(Return.name))
        back->onPress([this] { host.LeaveGame(); });

    // Every game enters the table of its level and difficulty.
    const RecordSave table = SaveGameRecord(
        recordsPath, gameplay.level.key, gameplay.difficulty,
        {playerName, counters.score, counters.wave, TodayText(), counters.statistics.timeSurvived});
    if (!table.save.saved && !recordsPath.empty())
        std::cerr << "Could not save the records \"" << recordsPath << "\": " << table.save.error
                  << std::endl;
    std::string level = LevelAndDifficulty();
    if (table.place)
        level += table.save.saved ? ", " + Place(*table.place) + " in its table"
                                  : " (the records could not be saved: " + table.save.error + ")";
    SetText(gui, LevelLine.name, level);

    // The stored record is the first level's on Normal (the game as it has always been); a game on
    // another level or difficulty is held against the best game of its table before it.
    const bool designGame = gameplay.level.key == FirstLevelKey && gameplay.difficulty == Difficulty::Normal;
    ShowComparison(designGame ? CompareWithHighscore() : CompareWithTable(table));
    // The new-record box speaks of the table the game now heads.
    if (!designGame)
        SetText(gui, AreaSmall.name,
                "Well fought, commander!\nYour name now heads the table of " + LevelAndDifficulty() + ".");
}

LosePage::Comparison LosePage::CompareWithHighscore()
{
    const auto& counters = GameCounters::instance();
    const StoredHighscore stored = ReadShownHighscore(highscorePath);
    Comparison comparison;
    // A stored score beats this game only when strictly higher; a tie is a new highscore.
    comparison.oldStands = stored.valid && stored.score > counters.score;
    // The record is saved whatever the form holds; the message only reports it.
    comparison.message = comparison.oldStands ? "Local Highscore" : "You created a new Highscore";
    if (comparison.oldStands)
    {
        comparison.name = stored.name;
        comparison.wave = stored.WaveText();
        // Written as this game's score is, beside it; a score the game never wrote as it stands.
        const auto score = stored.value.find("score");
        comparison.score = score != stored.value.end() && score->is_number_integer()
                               ? WholeNumber(score->get<std::int64_t>())
                               : stored.ScoreText();
        return comparison;
    }
    const HighscoreSave save = WriteHighscore(highscorePath, playerName, counters.score, counters.wave);
    comparison.newSaved = save.saved;
    if (!save.saved)
    {
        comparison.message = "Could not save the highscore: " + save.error;
        if (!highscorePath.empty()) // nowhere to save was said once at the start
            std::cerr << "Could not save the highscore \"" << highscorePath << "\": " << save.error
                      << std::endl;
    }
    return comparison;
}

LosePage::Comparison LosePage::CompareWithTable(const RecordSave& table)
{
    Comparison comparison;
    comparison.oldStands =
        !table.before.empty() && table.before.front().score > GameCounters::instance().score;
    comparison.message = (comparison.oldStands ? "Best on " : "A new best on ") + LevelAndDifficulty();
    comparison.newSaved = !comparison.oldStands && table.save.saved;
    if (comparison.oldStands)
    {
        const RecordEntry& best = table.before.front();
        comparison.name = best.name;
        comparison.wave = WholeNumber(best.wave);
        comparison.score = WholeNumber(best.score);
    }
    else if (!table.save.saved)
    {
        comparison.message = "Could not save the records: " + table.save.error;
    }
    return comparison;
}

void LosePage::ShowComparison(const Comparison& comparison)
{
    SetText(gui, OldHighscore.name, comparison.message);
    if (comparison.oldStands)
    {
        SetText(gui, OldName.name, "Player: " + comparison.name);
        SetText(gui, OldWave.name, "Wave: " + comparison.wave);
        SetText(gui, OldScore.name, comparison.score);
    }
    else
    {
        for (const WidgetName* old : {&OldName, &OldWave, &OldScore})
            ShowText(gui, old->name, false);
    }
    ShowText(gui, AreaBig.name, comparison.oldStands);
    // The new-record box congratulates on a record that is kept: not after a failed save.
    ShowText(gui, AreaSmall.name, comparison.newSaved);
}

std::vector<ScreenAction> LosePage::WaysOn()
{
    return {{"Back to the menu",
             [this]
             {
                 host.LeaveGame();
             }},
            {"Exit the game", [this]
             {
                 host.ExitGame();
             }}};
}

std::string LosePage::Account() const
{
    const auto& counters = GameCounters::instance();
    return "\n\nYour keep fell in wave " + WholeNumber(counters.wave) + " with a score of " +
           WholeNumber(counters.score) + " (" + LevelAndDifficulty() + ").";
}
