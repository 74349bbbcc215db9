#pragma once
// The highscore screen: the one stored record, and the way back to the main menu. Beside them the
// record tables, one level and difficulty at a time (the last ones chosen first): the arrows or
// their buttons step through the levels, the difficulty buttons choose the table. Every widget of
// the tables is optional in the form.

#include "gameplay/Levels.hpp"
#include "gameplay/Tables.hpp"
#include "ui/RecordsFile.hpp"
#include "ui/Screen.hpp"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class HighscorePage : public Screen
{
public:
    // Borrows the UI manager's record paths, which outlive the page.
    HighscorePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
                  const std::string& recordsPath);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;
    // The keys of the latest poll: Left and Right step through the levels' tables.
    void Update();
    // Shows the table of the level at index (in the levels listed) and the difficulty.
    void ShowTable(std::size_t index, Difficulty difficulty);

private:
    // The next (1) or previous (-1) level's table, round the list.
    void StepLevel(int by);
    ScreenHost& host;
    const std::string& highscorePath;
    const std::string& recordsPath;
    std::vector<LevelEntry> levels;
    RecordsFile records;
    std::size_t shown = 0;
    Difficulty difficulty = Difficulty::Normal;
    // The difficulty buttons' own looks, for the two that are not chosen.
    std::array<std::shared_ptr<void>, 3> buttonLooks;
};
