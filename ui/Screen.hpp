#pragma once
// What every screen has: the kinds of screen, the table of the widgets a screen looks up by name
// (its wiring and the screen check read the same table), the ways on that the UI manager offers a
// screen, and a few helpers that screens share. A screen never includes the UI manager: it reaches
// it through ScreenHost, which the manager implements, so the manager can own its screens.

#include <SFML/System/Vector2.hpp>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vgui
{
class Gui;
}

enum ScreenKind : int
{
    MainMenuScreen = 0,
    HighscoreScreen = 1,
    CreditsScreen = 2,
    ControlsScreen = 3,
    HudScreen = 4,
    LoseScreen = 5,
    LevelSelectScreen = 6, // beside the design's screens, between the main menu and the game
};

// The form file of a kind ("mainMenu.txt", ...), or null for any other value.
const char* FormFileOf(ScreenKind kind);

enum class WidgetType
{
    Button,
    BitmapButton,
    TextArea,
    ProgressBar,
    Any, // looked up as a plain widget (a panel, a frame)
};

// What the screen check asks of a widget that a screen looks up.
enum class Need
{
    Optional, // an addition beside the screen's first widgets: used when the form has it, never named
    Named,    // one of the screen's first widgets: one of another type under its name is named
    WayOn,    // the way off the screen: its absence is named too, and the screen gets other buttons
};

struct WidgetName
{
    const char* name;
    WidgetType type;
    Need need = Need::Named;
};

// A button of a built-in screen or bar: its label and what it does.
using ScreenAction = std::pair<std::string, std::function<void()>>;

// What a screen may ask of the UI manager that shows it.
class ScreenHost
{
public:
    virtual ~ScreenHost() = default;
    // Empties the root and loads the form of kind, as LoadScreen does.
    virtual void Show(ScreenKind kind) = 0;
    // The main menu's Play: the name typed is taken, then the game starts.
    virtual void Play() = 0;
    // Leaves the running or lost game for the main menu; the record stays as it is.
    virtual void LeaveGame() = 0;
    // Closes the window; the frame loop then ends.
    virtual void ExitGame() = 0;
};

// A screen loaded from a form file into the widget root.
class Screen
{
public:
    explicit Screen(vgui::Gui& gui) : gui(gui) {}
    virtual ~Screen() = default;
    // Every widget the screen looks up by name.
    virtual const std::vector<WidgetName>& Names() const = 0;
    // The hook-up, run right after the screen's form is loaded.
    virtual void Connect() = 0;
    // The buttons that lead on when the form cannot be used; none leaves the screen as it is.
    virtual std::vector<ScreenAction> WaysOn() = 0;
    // What the built-in screen in its place adds to its message.
    virtual std::string Account() const { return {}; }
    // For a form that could not be loaded (error: the widget layer's message): builds a stand-in
    // in code that holds the widgets of the form's names, so that Connect wires it as it would
    // the form, and returns true. False leaves the built-in screen with WaysOn in its place.
    virtual bool BuildStandIn(const std::string& /*formFile*/, const std::string& /*error*/) { return false; }

protected:
    vgui::Gui& gui; // the manager's widget root, which outlives every screen
};

// The ways on of a side screen: back to the menu, or out of the game.
std::vector<ScreenAction> BackOrExit(ScreenHost& host, vgui::Gui& gui);
// Back to the main menu: every widget removed, then the menu's form loaded.
void BackToMenu(ScreenHost& host, vgui::Gui& gui);

// Loads formFile into the root, over what is there unless replace. A form the widget layer refuses
// prints "Failed to load widgets from file: " with the file and the layer's message (which names
// the widget and its line where there is one) on standard error, and the message is returned
// (empty when the form loaded).
std::string LoadForm(vgui::Gui& gui, const std::string& formFile, bool replace);

// Sets the text of the text area of that name, if the form has one.
void SetText(vgui::Gui& gui, const char* name, const std::string& text);
// Shows or hides the text area of that name, if the form has one.
void ShowText(vgui::Gui& gui, const char* name, bool visible);

enum class Difficulty : int;
// Marks the chosen one of the three difficulty buttons (Easy, Normal, Hard by name, each one that
// the form has): in the look of the form's button named chosenLook, the others in their own looks
// (as read when the form loaded), or, without that button, by brackets around its name.
void MarkChosenDifficulty(vgui::Gui& gui, const char* const (&buttons)[3], const char* chosenLook,
                          const std::array<std::shared_ptr<void>, 3>& ownLooks, Difficulty chosen);

// A widget's place moved, as little as it takes, inside the HUD's 1280 x 720 picture and below
// its top bar.
sf::Vector2f OnPictureBelowTopBar(sf::Vector2f at, sf::Vector2f size);
