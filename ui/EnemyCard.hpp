#pragma once
// The card of an enemy: its kind, its hit points as numbers, what killing it pays and what it
// takes from the keep. It opens when the pointer rests on an enemy for a moment, follows it, and
// closes a moment after the pointer has left it (or at once when it dies or a tower is being
// placed). It takes no clicks. Every widget it names is optional.

#include "ui/Screen.hpp"

#include <memory>

class GameObject;

class EnemyCard
{
public:
    explicit EnemyCard(vgui::Gui& gui);
    // A HUD just loaded: no card is open.
    void Connect();
    // Real time, as the tower card's.
    void Update(float dt);
    void Close();

private:
    void Fill(const GameObject& enemy);

    vgui::Gui& gui;
    std::weak_ptr<GameObject> target;    // whose card is open
    std::weak_ptr<GameObject> candidate; // what the pointer rests on
    float rest = 0.f;
    float away = 0.f;
};
