#pragma once
// The highscore screen: the one stored record, and the way back to the main menu.

#include "ui/Screen.hpp"

#include <string>

class HighscorePage : public Screen
{
public:
    // Borrows the UI manager's record path, which outlives the page.
    HighscorePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;

private:
    ScreenHost& host;
    const std::string& highscorePath;
};
