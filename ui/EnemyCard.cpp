#include "ui/EnemyCard.hpp"

#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/TowerInfo.hpp"
#include "services/InputManager.hpp"
#include "ui/Numbers.hpp"
#include "widgets/Widgets.hpp"

#include <string>

namespace
{
const WidgetName Panel{"EnemyCard", WidgetType::Any, Need::Optional};
const WidgetName Title{"EnemyCardTitle", WidgetType::TextArea, Need::Optional};
const WidgetName Text{"EnemyCardText", WidgetType::TextArea, Need::Optional};

// Enemies walk at 100 pixels a second, so the pointer rests on one only briefly: a short rest
// opens its card, which then keeps up with it while the pointer stays near.
constexpr float RestSeconds = 0.15f;
constexpr float LeaveSeconds = 0.8f;
constexpr float ReachOfPointer = 26.f; // pixels from an enemy's centre that count as on it
constexpr float StaysNear = 70.f;      // pixels from the enemy within which the card stays
constexpr float CardGap = 24.f;        // pixels from the enemy's centre to the card

std::shared_ptr<GameObject> EnemyAt(sf::Vector2f point)
{
    std::shared_ptr<GameObject> nearest;
    float best = ReachOfPointer * ReachOfPointer;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type != ObjectType::Enemy || !object->alive)
            continue;
        const sf::Vector2f d = object->getPosition() - point;
        const float q = d.x * d.x + d.y * d.y;
        if (q <= best)
        {
            best = q;
            nearest = object;
        }
    }
    return nearest;
}
} // namespace

EnemyCard::EnemyCard(vgui::Gui& gui) : gui(gui)
{
}

void EnemyCard::Connect()
{
    target.reset();
    candidate.reset();
    rest = away = 0.f;
    if (const auto panel = gui.get<vgui::Widget>(Panel.name))
        panel->setVisible(false);
}

void EnemyCard::Close()
{
    target.reset();
    away = 0.f;
    if (const auto panel = gui.get<vgui::Widget>(Panel.name))
        panel->setVisible(false);
}

void EnemyCard::Update(float dt)
{
    const auto panel = gui.get<vgui::Widget>(Panel.name);
    if (!panel)
        return;
    const auto& input = InputManager::instance();
    const auto& cursor = GameplayManager::instance().cursorInput;
    const bool choosing = cursor && cursor->selectedTower != NoTower;
    const sf::Vector2f pointer = input.MousePosition();
    auto shown = target.lock();
    if (shown && (!shown->alive || choosing))
    {
        Close();
        shown.reset();
    }
    const auto under = choosing || input.pointerOverWidgets ? nullptr : EnemyAt(pointer);
    if (under && under == candidate.lock())
        rest += dt;
    else
        rest = 0.f;
    candidate = under;
    if (under && under != shown && rest >= RestSeconds)
    {
        target = shown = under;
        away = 0.f;
    }
    if (!shown)
        return;
    const sf::Vector2f d = shown->getPosition() - pointer;
    if (d.x * d.x + d.y * d.y <= StaysNear * StaysNear)
        away = 0.f;
    else if ((away += dt) >= LeaveSeconds)
    {
        Close();
        return;
    }
    Fill(*shown);
    // Above and to the right of the enemy, inside the picture, over the health bars.
    const sf::Vector2f size = panel->getSize();
    panel->setPosition(
        OnPictureBelowTopBar(shown->getPosition() + sf::Vector2f(CardGap, -CardGap - size.y), size));
    panel->setVisible(true);
    panel->moveToFront();
}

void EnemyCard::Fill(const GameObject& enemy)
{
    const auto figures = EnemyFiguresOf(enemy);
    if (!figures)
        return;
    const std::string title = std::string(EnemyTypeOf(figures->kind)->name) + " enemy";
    const std::string text = "Hit points: " + WholeNumber(figures->health) + " / " +
                             WholeNumber(figures->maxHealth) + "\nPays " + WholeNumber(figures->moneyReward) +
                             " gold, " + WholeNumber(figures->scoreReward) + " score\nAt the keep: -" +
                             Figure(figures->keepDamage) + " hit points";
    if (const auto area = gui.get<vgui::TextArea>(Title.name); area && area->getText() != title)
        area->setText(title);
    if (const auto area = gui.get<vgui::TextArea>(Text.name); area && area->getText() != text)
        area->setText(text);
}
