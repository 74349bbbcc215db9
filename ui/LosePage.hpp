#pragma once
// The lose screen: the game just lost, its account, and the one stored record, which a score at
// least as high replaces. Beside them, the level and difficulty of the game, which enters its
// record table; only a game on the first level on Normal is compared with the stored record and
// may replace it, a game on another level or difficulty is compared with its table's best.

#include "ui/RecordsFile.hpp"
#include "ui/Screen.hpp"

#include <string>

class LosePage : public Screen
{
public:
    // Borrows the UI manager's record paths and player name, which outlive the page.
    LosePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
             const std::string& recordsPath, const std::string& playerName);
    const std::vector<WidgetName>& Names() const override;
    // Fills the texts and saves a new record, whatever the form holds.
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;
    // The wave and the score, for a built-in screen in the form's place.
    std::string Account() const override;

private:
    // The record this game is held against, and what became of it.
    struct Comparison
    {
        bool oldStands = false; // the old record is better than this game
        bool newSaved = false;  // this game is the new record, and kept
        std::string message;
        std::string name, wave, score; // the old record's, when it stands
    };
    // The stored record, compared and rewritten as the lose screen always has.
    Comparison CompareWithHighscore();
    // The best game of the table before this one.
    Comparison CompareWithTable(const RecordSave& table);
    void ShowComparison(const Comparison& comparison);
    ScreenHost& host;
    const std::string& highscorePath;
    const std::string& recordsPath;
    const std::string& playerName;
};
