#pragma once
// No screen leaves the player without a way on. After a form is loaded, the widgets the game looks
// up by name are checked for their type, one line each (a label named "PlayGameButton" placed
// before the button would leave Play dead). A screen whose form could not be loaded is replaced
// by a plain screen made in code: what is wrong, and buttons that lead on. A form that loaded but
// lacks the button leading on (Play on the main menu, the return button elsewhere) keeps its
// widgets and gets a bar along the bottom with the message and those buttons. A level that
// cannot make a game that ends is shown on the plain screen, with the way back to the menu.

#include "ui/UIManager.hpp"

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct LevelPlan;

// Checks the screen of kind just loaded from formFile (loadError: the form's load error, empty
// when it loaded) and shows the built-in screen or bar when it cannot be used. Returns whether
// the form's screen was fine as it is.
bool CheckScreen(UIManager& ui, const std::string& formFile, ScreenKind kind, const std::string& loadError);

// Replaces every widget by the built-in screen: a title, the message (wrapped, several lines may
// be given) and one button per action, in order. Needs no file.
using ScreenAction = std::pair<std::string, std::function<void()>>;
void ShowFallbackScreen(UIManager& ui, const std::string& title, const std::string& message,
                        const std::vector<ScreenAction>& actions);

// Adds the bar with the message and the buttons over the screen's own widgets.
void AddWayOnBar(UIManager& ui, const std::string& message, const std::vector<ScreenAction>& actions);

// The level of a game just started cannot be played: the game stops and the built-in screen
// shows the plan's findings with the ways back to the menu and out of the game.
void ShowUnplayableLevel(UIManager& ui, const LevelPlan& plan);
