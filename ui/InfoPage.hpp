#pragma once
// A screen of text with the way back to the main menu: the controls and the credits.

#include "ui/Screen.hpp"

class InfoPage : public Screen
{
public:
    InfoPage(vgui::Gui& gui, ScreenHost& host);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    std::vector<ScreenAction> WaysOn() override;

private:
    ScreenHost& host;
};
