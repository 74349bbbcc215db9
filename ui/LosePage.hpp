#pragma once
// The lose screen: the game just lost, its account, and the one stored record, which a score at
// least as high replaces.

#include "ui/Screen.hpp"

#include <string>

class LosePage : public Screen
{
public:
    // Borrows the UI manager's record path and player name, which outlive the page.
    LosePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
             const std::string& playerName);
    const std::vector<WidgetName>& Names() const override;
    // Fills the texts and saves a new record, whatever the form holds.
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;
    // The wave and the score, for a built-in screen in the form's place.
    std::string Account() const override;

private:
    ScreenHost& host;
    const std::string& highscorePath;
    const std::string& playerName;
};
