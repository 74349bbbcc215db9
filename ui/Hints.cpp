#include "ui/Hints.hpp"

#include "entities/GameObjectManager.hpp"
#include "gameplay/BuildSpots.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/GameCounters.hpp"
#include "services/Settings.hpp"
#include "ui/SettingsPanel.hpp"
#include "widgets/Widgets.hpp"

#include <vector>

namespace
{
const WidgetName Text{"HintText", WidgetType::TextArea, Need::Optional};
const char* const BulletButton = "BulletTowerButton";
const char* const SpeedButton = "SpeedButton";

constexpr float Gap = 36.f;           // pixels between the point and its text, at the nearest
constexpr float ReachStep = 40.f;     // pixels further for each ring of places tried
constexpr float MostReach = 280.f;    // pixels: further than that it no longer concerns the point
constexpr float TowerHalf = 32.f;     // half a tower's platform, the room the point keeps free
constexpr float BaseHalf = 50.f;      // half the keep's picture (and more than half a tower's)
constexpr float KeepBarAbove = 110.f; // the keep's health bar stands this far above its centre

// The name a lesson is remembered by in the settings.
const char* NameOf(Hint hint)
{
    switch (hint)
    {
    case Hint::ChooseTower:
        return "chooseTower";
    case Hint::BuildInBend:
        return "buildInBend";
    case Hint::RestOnTower:
        return "restOnTower";
    case Hint::SpeedAndPause:
        return "speedAndPause";
    case Hint::None:
        break;
    }
    return "";
}

const char* TextOf(Hint hint)
{
    switch (hint)
    {
    case Hint::ChooseTower:
        return "Press 1 (or click this button) to choose the bullet tower, 50 gold.";
    case Hint::BuildInBend:
        return "Build here: in a bend one tower reaches two legs of the road.";
    case Hint::RestOnTower:
        return "Rest the pointer on a tower to see its card.";
    case Hint::SpeedAndPause:
        return "F (or this button): a faster game. P or Space: pause.";
    case Hint::None:
        break;
    }
    return "";
}

// The bottom middle of a HUD widget, where a hint about it points.
std::optional<sf::Vector2f> BelowWidget(vgui::Gui& gui, const char* name)
{
    const auto widget = gui.get<vgui::Widget>(name);
    if (!widget || !widget->isVisible())
        return std::nullopt;
    return widget->getAbsolutePosition() + sf::Vector2f(widget->getSize().x / 2.f, widget->getSize().y);
}

std::vector<std::shared_ptr<GameObject>> LivingTowers()
{
    std::vector<std::shared_ptr<GameObject>> towers;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type == ObjectType::Tower && object->alive)
            towers.push_back(object);
    }
    return towers;
}
} // namespace

Hints::Hints(vgui::Gui& gui, const std::string& settingsPath) : gui(gui), settingsPath(settingsPath)
{
}

void Hints::Connect()
{
    shown = Hint::None;
    towersSeen = -1;
    spot.reset();
    GameplayManager::instance().hintSpot.reset();
    ShowText(gui, Text.name, false);
}

void Hints::Done(Hint hint)
{
    auto& settings = Settings::instance();
    if (settings.HintDone(NameOf(hint)))
        return;
    settings.MarkHintDone(NameOf(hint));
    SaveSettings(settingsPath);
}

void Hints::Update(bool cardOpenedOnTower, std::optional<sf::FloatRect> card)
{
    const auto& settings = Settings::instance();
    auto& gameplay = GameplayManager::instance();
    const int selected = gameplay.cursorInput ? gameplay.cursorInput->selectedTower : NoTower;
    const auto towers = LivingTowers();

    // The lessons done in this frame.
    if (selected != NoTower)
        Done(Hint::ChooseTower);
    if (static_cast<int>(towers.size()) != towersSeen)
    {
        for (const auto& tower : towers)
        {
            if (LegsInReach(tower->getPosition()) >= 2)
                Done(Hint::BuildInBend);
        }
    }
    if (cardOpenedOnTower)
        Done(Hint::RestOnTower);
    if (gameplay.running && (gameplay.speed != 1 || gameplay.paused))
        Done(Hint::SpeedAndPause);
    const auto open = [&settings](Hint hint)
    {
        return !settings.HintDone(NameOf(hint));
    };

    // The first hint not yet done that concerns what the player can do now.
    Hint next = Hint::None;
    std::optional<sf::Vector2f> at;
    bool fromTopBar = false;
    if (selected == NoTower && open(Hint::ChooseTower) &&
        GameCounters::instance().money >= TowerPrice(BulletTower))
    {
        next = Hint::ChooseTower;
        at = BelowWidget(gui, BulletButton);
        fromTopBar = true;
    }
    else if (selected != NoTower && open(Hint::BuildInBend))
    {
        // Worked out again only when towers come or go (they take the best spots).
        if (static_cast<int>(towers.size()) != towersSeen || shown != Hint::BuildInBend)
            spot = BestFreeSpot();
        next = Hint::BuildInBend;
        at = spot;
    }
    else if (selected == NoTower && open(Hint::RestOnTower) && !towers.empty())
    {
        next = Hint::RestOnTower;
        at = towers.back()->getPosition();
    }
    else if (selected == NoTower && open(Hint::SpeedAndPause))
    {
        next = Hint::SpeedAndPause;
        at = BelowWidget(gui, SpeedButton);
        fromTopBar = true;
    }
    towersSeen = static_cast<int>(towers.size());
    if (!at)
        next = Hint::None;

    gameplay.hintSpot = next == Hint::BuildInBend ? at : std::nullopt;
    const auto text = gui.get<vgui::TextArea>(Text.name);
    if (next == Hint::None)
    {
        shown = Hint::None;
        if (text)
            text->setVisible(false);
        return;
    }
    if (next != shown || *at != point)
    {
        shown = next;
        point = *at;
        if (text)
            text->setText(TextOf(next));
        PlaceText(point, fromTopBar);
    }
    if (text)
    {
        // A card the player opened is read first; the hint comes back when it closes.
        text->setVisible(!card || !card->intersects({text->getPosition(), text->getSize()}));
        text->moveToFront(); // over the health bars that came after the HUD
    }
}

void Hints::PlaceText(sf::Vector2f at, bool fromTopBar)
{
    const auto text = gui.get<vgui::TextArea>(Text.name);
    if (!text)
        return;
    // What a hint never covers: the road, the towers, the keep with its health bar above it, and
    // the spot it points at.
    std::vector<sf::FloatRect> keepClear;
    keepClear.emplace_back(at - sf::Vector2f(TowerHalf, TowerHalf),
                           sf::Vector2f(2.f * TowerHalf, 2.f * TowerHalf));
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (!object->alive || (object->type != ObjectType::Tower && object->type != ObjectType::Base))
            continue;
        const sf::Vector2f centre = object->getPosition();
        const float above = object->type == ObjectType::Base ? KeepBarAbove : TowerHalf;
        keepClear.emplace_back(centre - sf::Vector2f(BaseHalf, above),
                               sf::Vector2f(2.f * BaseHalf, above + BaseHalf));
    }
    const auto clear = [&keepClear](const sf::FloatRect& box)
    {
        if (CoversRoad(box))
            return false;
        for (const auto& rect : keepClear)
        {
            if (rect.intersects(box))
                return false;
        }
        return true;
    };
    // Wide and low first, then narrower and taller; nearest the point first, around it.
    const sf::Vector2f shapes[] = {{300.f, 58.f}, {230.f, 78.f}, {180.f, 98.f}};
    std::optional<std::pair<sf::Vector2f, sf::Vector2f>> first;
    for (const sf::Vector2f size : shapes)
    {
        for (float reach = fromTopBar ? 8.f : Gap; reach <= MostReach; reach += ReachStep)
        {
            std::vector<sf::Vector2f> places;
            if (fromTopBar)
                places = {{at.x - size.x / 2.f, at.y + reach}, {at.x - size.x + 24.f, at.y + reach}};
            else
                places = {
                    {at.x + reach, at.y - size.y / 2.f},   {at.x - reach - size.x, at.y - size.y / 2.f},
                    {at.x - size.x / 2.f, at.y + reach},   {at.x - size.x / 2.f, at.y - reach - size.y},
                    {at.x + reach, at.y + reach},          {at.x - reach - size.x, at.y + reach},
                    {at.x + reach, at.y - reach - size.y}, {at.x - reach - size.x, at.y - reach - size.y}};
            for (const sf::Vector2f want : places)
            {
                const sf::Vector2f place = OnPictureBelowTopBar(want, size);
                if (!first)
                    first = {place, size};
                if (clear({place, size}))
                {
                    text->setSize(size);
                    text->setPosition(place);
                    return;
                }
            }
        }
    }
    // Nowhere near is clear: the nearest place, over what it must.
    text->setSize(first->second);
    text->setPosition(first->first);
}
