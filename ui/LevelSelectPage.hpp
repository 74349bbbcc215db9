#pragma once
// The level select, between the main menu and the game: one card per level (a picture drawn from
// its map, its name, its spawners and the length of its road, and the best game on it at the
// chosen difficulty), the three difficulties, and Play. Mouse, arrow keys and Enter choose and
// play; a level whose check stops a game is greyed with its first finding and cannot be started.
// The choice is kept in the settings: the main menu's Play starts it again.
//
// Every widget it names is optional in its form; the cards are made in code, their look and
// layout taken from a hidden prototype card in the form when there is one. A form that cannot be
// loaded gets the same screen built in code.

#include "gameplay/Levels.hpp"
#include "gameplay/Tables.hpp"
#include "ui/RecordsFile.hpp"
#include "ui/Screen.hpp"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vgui
{
class Container;
class Label;
class Panel;
class Widget;
} // namespace vgui

class LevelSelectPage : public Screen
{
public:
    // Borrows the UI manager's records and settings paths, which outlive the page.
    LevelSelectPage(vgui::Gui& gui, ScreenHost& host, const std::string& recordsPath,
                    const std::string& settingsPath);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;
    bool BuildStandIn(const std::string& formFile, const std::string& loadError) override;
    // The keys of the latest poll: the arrows move the choice over the cards, Enter plays the
    // chosen level, Escape goes back to the main menu.
    void Update();

    // What the screen shows: every level listed, the one chosen and the difficulty.
    const std::vector<LevelEntry>& Levels() const { return levels; }
    std::size_t Chosen() const { return chosen; }
    Difficulty ChosenDifficulty() const { return difficulty; }
    // Chooses a level (its card is shown) or a difficulty, as a click does.
    void Choose(std::size_t index);
    void ChooseDifficulty(Difficulty chosenDifficulty);
    // Starts the chosen level, unless its check stops a game.
    void PlayChosen();

private:
    struct Card
    {
        std::size_t level = 0;
        std::shared_ptr<vgui::Panel> frame;
        std::shared_ptr<vgui::Label> record;
    };
    void ShowPage();
    void ShowCardTexts();
    void ShowDifficulty();
    std::shared_ptr<vgui::Container> CardArea();

    ScreenHost& host;
    const std::string& recordsPath;
    const std::string& settingsPath;
    std::vector<LevelEntry> levels;
    RecordsFile records;
    std::size_t chosen = 0;
    std::size_t page = 0;
    std::size_t columns = 1, perPage = 1;
    Difficulty difficulty = Difficulty::Normal;
    std::vector<Card> cards; // of the page shown
    std::vector<std::shared_ptr<vgui::Widget>> cardWidgets;
    // The difficulty buttons' own looks (vgui::Renderer::Data), for the two that are not chosen.
    std::array<std::shared_ptr<void>, 3> buttonLooks;
};

// What a difficulty changes, in words, from the difficulty table.
std::string DifficultyDescription(Difficulty difficulty);
// A finding as a card shows it: without the map's path in front.
std::string FindingOnCard(const LevelEntry& level, const std::string& finding);
