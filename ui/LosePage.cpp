#include "ui/LosePage.hpp"

#include "gameplay/Tables.hpp"
#include "services/GameCounters.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/Numbers.hpp"
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

std::string Duration(float seconds)
{
    const auto whole = static_cast<long>(seconds);
    const long minutes = whole / 60, rest = whole % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

// The lose screen's account of the game beside the design's texts: one short line per figure,
// so that six-digit numbers still fit on their lines.
std::string StatisticsText(const GameCounters::Statistics& statistics)
{
    const auto& kills = statistics.killsByKind;
    const std::int64_t killed =
        std::int64_t{kills[WeakEnemy]} + std::int64_t{kills[MiddleEnemy]} + std::int64_t{kills[HardEnemy]};
    std::string text = "Time survived: " + Duration(statistics.timeSurvived) + "\n";
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
                   const std::string& playerName)
    : Screen(gui), host(host), highscorePath(highscorePath), playerName(playerName)
{
}

const std::vector<WidgetName>& LosePage::Names() const
{
    static const std::vector<WidgetName> names = {Return,       Lose,      Money,      Score,
                                                  OldHighscore, OldName,   OldWave,    OldScore,
                                                  AreaBig,      AreaSmall, Statistics, KeepFell};
    return names;
}

void LosePage::Connect()
{
    const auto& counters = GameCounters::instance();
    const StoredHighscore stored = ReadShownHighscore(highscorePath);
    // A stored score beats this game only when strictly higher; a tie is a new highscore.
    const bool oldRecordStands = stored.valid && stored.score > counters.score;

    // The design's words for a form written for it; the game's own beside them.
    SetText(gui, Lose.name, "Your Base got destroyed in Wave " + std::to_string(counters.wave));
    SetText(gui, KeepFell.name, "The keep fell in wave " + WholeNumber(counters.wave));
    SetText(gui, Money.name, WholeNumber(counters.money));
    SetText(gui, Score.name, WholeNumber(counters.score));
    SetText(gui, Statistics.name, StatisticsText(counters.statistics));
    if (const auto back = gui.get<vgui::Button>(Return.name))
        back->onPress([this] { host.LeaveGame(); });

    // The record is saved whatever the form holds; the message only reports it.
    std::string message = oldRecordStands ? "Local Highscore" : "You created a new Highscore";
    bool newRecordSaved = false;
    if (!oldRecordStands)
    {
        const HighscoreSave save = WriteHighscore(highscorePath, playerName, counters.score, counters.wave);
        newRecordSaved = save.saved;
        if (!save.saved)
        {
            message = "Could not save the highscore: " + save.error;
            std::cerr << "Could not save the highscore \"" << highscorePath << "\": " << save.error
                      << std::endl;
        }
    }
    SetText(gui, OldHighscore.name, message);
    if (oldRecordStands)
    {
        SetText(gui, OldName.name, "Player: " + stored.name);
        SetText(gui, OldWave.name, "Wave: " + stored.WaveText());
        // Written as this game's score is, beside it; a score the game never wrote as it stands.
        const auto score = stored.value.find("score");
        SetText(gui, OldScore.name,
                score != stored.value.end() && score->is_number_integer()
                    ? WholeNumber(score->get<std::int64_t>())
                    : stored.ScoreText());
    }
    else
    {
        for (const WidgetName* old : {&OldName, &OldWave, &OldScore})
            ShowText(gui, old->name, false);
    }
    ShowText(gui, AreaBig.name, oldRecordStands);
    // The new-record box congratulates on a record that is kept: not after a failed save.
    ShowText(gui, AreaSmall.name, newRecordSaved);
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
           WholeNumber(counters.score) + ".";
}
