#include "ui/LosePage.hpp"

#include "gameplay/Tables.hpp"
#include "services/GameCounters.hpp"
#include "ui/HighscoreFile.hpp"
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

std::string Duration(float seconds)
{
    const auto whole = static_cast<long>(seconds);
    const long minutes = whole / 60, rest = whole % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

// The lose screen's account of the game beside the design's texts.
std::string StatisticsText(const GameCounters::Statistics& statistics)
{
    const auto& kills = statistics.killsByKind;
    std::string text = "Time survived: " + Duration(statistics.timeSurvived) + "\n";
    text +=
        "Enemies killed: " + std::to_string(kills[WeakEnemy] + kills[MiddleEnemy] + kills[HardEnemy]) + "\n";
    text += "    weak " + std::to_string(kills[WeakEnemy]) + ", middle " +
            std::to_string(kills[MiddleEnemy]) + ", hard " + std::to_string(kills[HardEnemy]) + "\n";
    text += "Towers built: " + std::to_string(statistics.towersBuilt) + "\n";
    text += "Gold earned: " + std::to_string(statistics.goldEarned) + "\n";
    text += "Gold spent: " + std::to_string(statistics.goldSpent) + "\n";
    const TowerType* best = TowerTypeOf(statistics.bestTowerKind);
    text +=
        "Best tower: " + (best ? std::string(best->name) + ", " + std::to_string(statistics.bestTowerKills) +
                                     (statistics.bestTowerKills == 1 ? " kill" : " kills")
                               : std::string("none"));
    return text;
}
} // namespace

LosePage::LosePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
                   const std::string& playerName)
    : Screen(gui), host(host), highscorePath(highscorePath), playerName(playerName)
{
}

const std::vector<WidgetName>& LosePage::Names() const
{
    static const std::vector<WidgetName> names = {
        Return, Lose, Money, Score, OldHighscore, OldName, OldWave, OldScore, AreaBig, AreaSmall, Statistics};
    return names;
}

void LosePage::Connect()
{
    const auto& counters = GameCounters::instance();
    const StoredHighscore stored = ReadShownHighscore(highscorePath);
    // A stored score beats this game only when strictly higher; a tie is a new highscore.
    const bool oldRecordStands = stored.valid && stored.score > counters.score;

    SetText(gui, Lose.name, "Your Base got destroyed in Wave " + std::to_string(counters.wave));
    SetText(gui, Money.name, std::to_string(counters.money));
    SetText(gui, Score.name, std::to_string(counters.score));
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
            if (!highscorePath.empty()) // nowhere to save was said once at the start
                std::cerr << "Could not save the highscore \"" << highscorePath << "\": " << save.error
                          << std::endl;
        }
    }
    SetText(gui, OldHighscore.name, message);
    if (oldRecordStands)
    {
        SetText(gui, OldName.name, "Player: " + stored.name);
        SetText(gui, OldWave.name, "Wave: " + stored.WaveText());
        SetText(gui, OldScore.name, stored.ScoreText());
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
    return "\n\nYour base fell in wave " + std::to_string(counters.wave) + " with a score of " +
           std::to_string(counters.score) + ".";
}
