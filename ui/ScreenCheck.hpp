#pragma once
// No screen leaves the player without a way on. After a form is loaded, the widgets the game looks
// up by name are checked for their type, one line each (a label named "PlayGameButton" placed
// before the button would leave Play dead). A screen whose form could not be loaded is replaced
// by a plain screen made in code: what is wrong, and buttons that lead on. A form that loaded but
// lacks the button leading on (Play on the main menu, the return button elsewhere) keeps its
// widgets and gets a bar along the bottom with the message and those buttons.

#include "ui/Screen.hpp"

#include <string>
#include <vector>

// Checks the widgets named of a screen just loaded from formFile (loadError: the form's load
// error, empty when it loaded) and shows the built-in screen or bar, with the buttons of waysOn,
// when it cannot be used; account is added to the built-in screen's message. Without waysOn the
// screen stays as it is. Returns whether the form's screen was fine as it is.
bool CheckScreen(vgui::Gui& gui, const std::string& formFile, const std::vector<WidgetName>& names,
                 const std::string& loadError, const std::vector<ScreenAction>& waysOn,
                 const std::string& account);

// Replaces every widget by the built-in screen: a title, the message (wrapped, several lines may
// be given) and one button per action, in order. Needs no file.
void ShowFallbackScreen(vgui::Gui& gui, const std::string& title, const std::string& message,
                        const std::vector<ScreenAction>& actions);

// Adds the bar with the message and the buttons over the screen's own widgets.
void AddWayOnBar(vgui::Gui& gui, const std::string& message, const std::vector<ScreenAction>& actions);
