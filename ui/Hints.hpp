#pragma once
// The first games' hints: short texts at the place they concern, one at a time, each shown until
// the player has done its lesson once (remembered in the settings; the settings panel brings
// them all back): choose a tower by its key, build in a bend where one tower reaches two legs of
// the road, rest on a tower for its card, and the speed and pause keys. A hint takes no clicks
// and stays off the road. Its widget is optional: without "HintText" the lessons are still
// counted.

#include "ui/Screen.hpp"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <optional>
#include <string>

enum class Hint : int
{
    None = 0,
    ChooseTower = 1,
    BuildInBend = 2,
    RestOnTower = 3,
    SpeedAndPause = 4,
};

class Hints
{
public:
    // Borrows the root and the settings path of the UI manager, which outlive the hints.
    Hints(vgui::Gui& gui, const std::string& settingsPath);
    // A HUD just loaded.
    void Connect();
    // Counts the lessons done and shows the next hint. cardOpenedOnTower: a tower's card has
    // opened in this game; card: where a card shows now (the hint gives way to it).
    void Update(bool cardOpenedOnTower, std::optional<sf::FloatRect> card);

    // The hint shown and the point it concerns (the spot to build on, the button to press).
    Hint Shown() const { return shown; }
    sf::Vector2f Point() const { return point; }

private:
    // Marks a lesson done (and saves the settings) the first time.
    void Done(Hint hint);
    // The text beside point, inside the picture, over no road and not over the point itself.
    void PlaceText(sf::Vector2f at, bool fromTopBar);

    vgui::Gui& gui;
    const std::string& settingsPath;
    Hint shown = Hint::None;
    sf::Vector2f point;
    int towersSeen = -1; // towers standing when the build spot was last worked out
    std::optional<sf::Vector2f> spot;
};
