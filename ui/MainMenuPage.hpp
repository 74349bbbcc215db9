#pragma once
// The main menu: Play, the ways to the other screens and out of the game, the settings, and the
// name field that offers the last name and plays on Enter.

#include "ui/Screen.hpp"

class SettingsPanel;

#include <string>

class MainMenuPage : public Screen
{
public:
    // Borrows the UI manager's settings panel, player name and settings path, which outlive the page.
    MainMenuPage(vgui::Gui& gui, ScreenHost& host, SettingsPanel& settings, std::string& playerName,
                 const std::string& settingsPath);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;
    // Copies the name field into playerName (an empty field gives "Player 1") and keeps a new name
    // in the settings; without a name field the name stays as it is.
    void ReadPlayerName();

private:
    ScreenHost& host;
    SettingsPanel& settings;
    std::string& playerName;
    const std::string& settingsPath;
};
