#pragma once
// The card of a tower or of the keep: what it is and does, what its next upgrade costs and
// changes, with Upgrade and Sell (Repair for the keep). It opens beside the object when the
// pointer rests on it for a moment, or at once on a click, and closes a moment after the pointer
// has left both the object and the card. Opened by a click or a rest, it takes a place where it
// hides no tower when there is one, and only its buttons take clicks: a click on a tower under
// it reaches the tower. Resting on a HUD tower button shows the same card for that kind, before
// it is bought. Every widget it names is optional: without a "TowerCard" panel there is no card,
// and a click on a tower still upgrades it.

#include "ui/Screen.hpp"

#include <SFML/Graphics/Rect.hpp>

#include <functional>
#include <memory>
#include <optional>

class GameObject;

class TowerCard
{
public:
    // repair is the HUD's repair of the keep, which the keep's card offers too.
    TowerCard(vgui::Gui& gui, std::function<void()> repair);
    // Wires the card's buttons of the HUD just loaded; no card is open then.
    void Connect();
    // Opens, follows and closes the card by where the pointer is (real time, not the game's: it
    // opens at the same pace at any speed). buttonKind: the tower kind of the HUD button under
    // the pointer (0: none), button its box.
    void Update(float dt, int buttonKind, sf::FloatRect button);
    void Close();
    // A tower's card has opened since the HUD was loaded.
    bool OpenedOnTower() const { return openedOnTower; }
    // Where the card is, while it shows.
    std::optional<sf::FloatRect> Box() const;

private:
    void Fill();
    void FillKind();
    // Beside the object, where the card hides no tower (nor the keep) if such a place exists.
    void Place(const GameObject& object);
    std::shared_ptr<GameObject> ObjectAt(sf::Vector2f point) const;

    vgui::Gui& gui;
    std::function<void()> repair;
    std::weak_ptr<GameObject> target;    // whose card is open
    std::weak_ptr<GameObject> candidate; // what the pointer rests on
    int kind = 0;                        // the HUD button's kind whose card is open (0: none)
    int restingKind = 0;                 // the HUD button's kind the pointer rests on
    float rest = 0.f;                    // seconds on the candidate
    float buttonRest = 0.f;              // seconds on the HUD button of restingKind
    float away = 0.f;                    // seconds since the pointer left target and card
    bool wasChoosing = false;            // a tower kind was selected at the last update
    bool openedOnTower = false;
    sf::Vector2f formSize; // the card's size in the form (the kind's card is shorter)
};
