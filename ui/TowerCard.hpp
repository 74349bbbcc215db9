#pragma once
// The card of a tower or of the keep: what it is and does, what its next upgrade costs and
// changes, with Upgrade and Sell (Repair for the keep). It opens beside the object when the
// pointer rests on it for a moment, or at once on a click, and closes a moment after the pointer
// has left both the object and the card. Every widget it names is optional: without a "TowerCard"
// panel there is no card, and a click on a tower still upgrades it.

#include "ui/Screen.hpp"

#include <functional>
#include <memory>

class GameObject;

class TowerCard
{
public:
    // repair is the HUD's repair of the keep, which the keep's card offers too.
    TowerCard(vgui::Gui& gui, std::function<void()> repair);
    // Wires the card's buttons of the HUD just loaded; no card is open then.
    void Connect();
    // Opens, follows and closes the card by where the pointer is (real time, not the game's: it
    // opens at the same pace at any speed).
    void Update(float dt);
    void Close();

private:
    void Fill();
    std::shared_ptr<GameObject> ObjectAt(sf::Vector2f point) const;

    vgui::Gui& gui;
    std::function<void()> repair;
    std::weak_ptr<GameObject> target;    // whose card is open
    std::weak_ptr<GameObject> candidate; // what the pointer rests on
    float rest = 0.f;                    // seconds on the candidate
    float away = 0.f;                    // seconds since the pointer left target and card
    bool wasChoosing = false;            // a tower kind was selected at the last update
};
