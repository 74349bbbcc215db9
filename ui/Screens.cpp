// The lose screen and the highscore screen, both built around the one stored record.

#include "gameplay/Tables.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>
#include <string>

namespace
{
StoredHighscore ReadRecord(const std::string& path)
{
    StoredHighscore stored = ReadHighscore(path);
    if (!stored.valid)
        std::cerr << "Highscore file \"" << path << "\" holds no record: " << stored.problem << std::endl;
    return stored;
}

void SetText(vgui::Gui& gui, const char* name, const std::string& text)
{
    if (const auto area = gui.get<vgui::TextArea>(name))
        area->setText(text);
}

void Show(vgui::Gui& gui, const char* name, bool visible)
{
    if (const auto area = gui.get<vgui::TextArea>(name))
        area->setVisible(visible);
}

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

void UIManager::LoadLoseScreen()
{
    const StoredHighscore stored = ReadRecord(highscorePath);
    // A stored score beats this game only when strictly higher; a tie is a new highscore.
    const bool oldRecordStands = stored.valid && stored.score > score;

    SetText(*gui, "LoseText", "Your Base got destroyed in Wave " + std::to_string(wave));
    SetText(*gui, "MoneyText", std::to_string(money));
    SetText(*gui, "ScoreText", std::to_string(score));
    SetText(*gui, "StatisticsText", StatisticsText(GameCounters::instance().statistics));
    if (const auto back = gui->get<vgui::Button>("ReturnButton"))
        back->onPress(
            [this]
            {
                gui->removeAllWidgets();
                GameStateManager::instance().ChangeState("MainMenu");
            });

    // The record is saved whatever the form holds; the message only reports it.
    std::string message = oldRecordStands ? "Local Highscore" : "You created a new Highscore";
    bool newRecordSaved = false;
    if (!oldRecordStands)
    {
        const HighscoreSave save = WriteHighscore(highscorePath, playerName, score, wave);
        newRecordSaved = save.saved;
        if (!save.saved)
        {
            message = "Could not save the highscore: " + save.error;
            std::cerr << "Could not save the highscore \"" << highscorePath << "\": " << save.error
                      << std::endl;
        }
    }
    SetText(*gui, "OldHighscoreText", message);
    if (oldRecordStands)
    {
        SetText(*gui, "OldHighscoreNameText", "Player: " + stored.name);
        SetText(*gui, "OldHighscoreWaveText", "Wave: " + stored.WaveText());
        SetText(*gui, "OldHighscoreScoreText", stored.ScoreText());
    }
    else
    {
        Show(*gui, "OldHighscoreNameText", false);
        Show(*gui, "OldHighscoreWaveText", false);
        Show(*gui, "OldHighscoreScoreText", false);
    }
    Show(*gui, "AreaBig", oldRecordStands);
    // The new-record box congratulates on a record that is kept: not after a failed save.
    Show(*gui, "AreaSmall", newRecordSaved);
}

void UIManager::LoadHighscoreScreen()
{
    const StoredHighscore stored = ReadRecord(highscorePath);
    SetText(*gui, "NameText", "Player: " + (stored.valid ? stored.name : std::string("-")));
    SetText(*gui, "WaveText", "Wave: " + (stored.valid ? stored.WaveText() : std::string("-")));
    SetText(*gui, "ScoreText", stored.valid ? stored.ScoreText() : std::string("-"));
    ConnectReturnToMenu();
}
