// The card of a tower or of the keep: what it is and does, what its next upgrade costs and
// changes, with Upgrade and Sell (Repair for the keep). It opens beside the object when the
// pointer rests on it for a moment, or at once on a click, and closes a moment after the pointer
// has left both the object and the card. Every widget named here is optional: without a
// "TowerCard" panel there is no card, and a click on a tower still upgrades it.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/TowerInfo.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
constexpr float RestSeconds = 0.35f;  // the pointer rests this long on an object to open its card
constexpr float LeaveSeconds = 0.45f; // the card stays this long after the pointer left
constexpr float CardGap = 10.f;       // pixels between the object and its card

// Whole numbers as whole numbers, others with one decimal.
std::string Number(float value)
{
    char text[32];
    if (std::fabs(value - std::round(value)) < 0.05f)
        std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
    else
        std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

std::string Change(const char* what, float before, float after)
{
    return std::string(what) + " " + Number(before) + " -> " + Number(after) + "\n";
}

sf::FloatRect BoxOf(const GameObject& object)
{
    if (const auto* box = object.FindComponent<BoxCollisionComponent>())
        return box->rect;
    return {object.getPosition() - sf::Vector2f(32.f, 32.f), {64.f, 64.f}};
}
} // namespace

std::shared_ptr<GameObject> UIManager::CardObjectAt(sf::Vector2f point) const
{
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if ((object->type == ObjectType::Tower || object->type == ObjectType::Base) && object->alive &&
            BoxOf(*object).contains(point))
            return object;
    }
    return nullptr;
}

void UIManager::ConnectTowerCard()
{
    card = {};
    if (const auto upgrade = gui->get<vgui::Button>("CardUpgradeButton"))
        upgrade->onPress(
            [this]
            {
                const auto target = card.target.lock();
                if (!target)
                    return;
                if (const char* refusal = RefusalText(config.tryUpgrade(*target)))
                    GameCounters::instance().Refuse(refusal, InputManager::instance().MousePosition());
                FillTowerCard();
            });
    if (const auto sell = gui->get<vgui::Button>("CardSellButton"))
        sell->onPress(
            [this]
            {
                if (const auto target = card.target.lock())
                    config.SellTower(*target);
                CloseTowerCard();
            });
    if (const auto repair = gui->get<vgui::Button>("CardRepairButton"))
        repair->onPress(
            [this]
            {
                RepairBase();
                FillTowerCard();
            });
}

void UIManager::CloseTowerCard()
{
    card.target.reset();
    card.away = 0.f;
    GameplayManager::instance().inspected.reset();
    if (const auto panel = gui->get<vgui::Widget>("TowerCard"))
        panel->setVisible(false);
}

void UIManager::UpdateTowerCard(float dt)
{
    const auto panel = gui->get<vgui::Widget>("TowerCard");
    if (!panel || currentScreen != HudScreen)
        return;
    const auto& input = InputManager::instance();
    const sf::Vector2f pointer = input.MousePosition();
    const bool choosing = cursorInput && cursorInput->selectedTower != NoTower;
    // A click made while a tower kind was selected built (or was refused); it opens no card.
    const bool clickOpens = !choosing && !card.wasChoosing && input.IsMouseButtonPressed(sf::Mouse::Left);
    card.wasChoosing = choosing;
    const auto target = card.target.lock();
    if (target && (!target->alive || choosing))
    {
        CloseTowerCard();
        return;
    }
    const bool overCard =
        panel->isVisible() && sf::FloatRect(panel->getPosition(), panel->getSize()).contains(pointer);

    // Resting on a tower or the keep (not through the HUD, not while placing a tower) opens its
    // card; a click on it opens the card at once.
    const auto under = choosing || input.pointerOverWidgets ? nullptr : CardObjectAt(pointer);
    if (under && under == card.candidate.lock())
        card.rest += dt;
    else
        card.rest = 0.f;
    card.candidate = under;
    if (under && under != target && (card.rest >= RestSeconds || clickOpens))
    {
        card.target = under;
        card.away = 0.f;
        GameplayManager::instance().inspected = under;
        FillTowerCard();
        panel->setVisible(true);
        panel->moveToFront();
        return;
    }
    if (!target)
        return;
    if (under == target || overCard)
        card.away = 0.f;
    else if ((card.away += dt) >= LeaveSeconds)
    {
        CloseTowerCard();
        return;
    }
    FillTowerCard();
    panel->moveToFront(); // over the health bars of enemies that came since
}

void UIManager::FillTowerCard()
{
    const auto target = card.target.lock();
    const auto panel = gui->get<vgui::Widget>("TowerCard");
    if (!target || !panel)
        return;
    std::string title, text;
    std::string sellText;
    bool canUpgrade = false;
    const bool isKeep = target->type == ObjectType::Base;
    if (const auto figures = FiguresOf(*target))
    {
        const TowerType* type = TowerTypeOf(figures->kind);
        title = std::string(type ? type->name : "Tower") + ", level " + std::to_string(figures->level);
        text = "Damage per hit: " + Number(figures->damagePerHit) +
               "\nShots per second: " + Number(figures->shotsPerSecond) +
               "\nRange: " + Number(figures->range) + "\nKills: " + std::to_string(figures->kills) + "\n";
        if (const auto next = FiguresAfterUpgrade(*target))
        {
            const auto* upgrade = target->FindComponent<UpgradeStateComponent>();
            text += "\nUpgrade for " + std::to_string(UpgradePrice(*upgrade)) + " gold:\n";
            if (next->damagePerHit != figures->damagePerHit)
                text += Change("damage per hit", figures->damagePerHit, next->damagePerHit);
            if (next->shotsPerSecond != figures->shotsPerSecond)
                text += Change("shots per second", figures->shotsPerSecond, next->shotsPerSecond);
            if (next->damagePerHit == figures->damagePerHit &&
                next->shotsPerSecond == figures->shotsPerSecond)
                text += "a faster reload\n";
            canUpgrade = true;
        }
        else
        {
            text += "\nFully upgraded";
        }
        sellText = "Sell +" + std::to_string(SellRefund(*target));
    }
    else if (const auto keep = KeepFiguresOf(*target))
    {
        title = "Keep, level " + std::to_string(keep->level);
        text = "Hit points: " + std::to_string(keep->health) + " / " + std::to_string(keep->maxHealth) + "\n";
        if (keep->upgradeGain > 0)
        {
            const auto* upgrade = target->FindComponent<UpgradeStateComponent>();
            text += "\nUpgrade for " + std::to_string(UpgradePrice(*upgrade)) + " gold:\nhit points +" +
                    std::to_string(keep->upgradeGain) + "\n";
            canUpgrade = true;
        }
        else
        {
            text += "\nFully upgraded\n";
        }
        text += "\nRepair for " + std::to_string(config.repairPrice) + " gold:\nhit points +" +
                std::to_string(config.repairAmount);
    }
    const auto setText = [this](const char* name, const std::string& value)
    {
        if (const auto area = gui->get<vgui::TextArea>(name); area && area->getText() != value)
            area->setText(value);
    };
    setText("CardTitle", title);
    setText("CardText", text);
    if (const auto upgrade = gui->get<vgui::Button>("CardUpgradeButton"))
    {
        upgrade->setEnabled(canUpgrade);
        upgrade->setText(canUpgrade ? "Upgrade" : "Maxed");
    }
    if (const auto sell = gui->get<vgui::Button>("CardSellButton"))
    {
        sell->setVisible(!isKeep);
        sell->setText(sellText);
    }
    if (const auto repair = gui->get<vgui::Button>("CardRepairButton"))
        repair->setVisible(isKeep);

    // Beside the object: to its right if the card fits there, else to its left; inside the
    // picture and below the top bar.
    const sf::FloatRect box = BoxOf(*target);
    const sf::Vector2f size = panel->getSize();
    const sf::Vector2f right(box.left + box.width + CardGap, box.top + box.height / 2.f - size.y / 2.f);
    sf::Vector2f at = OnPictureBelowTopBar(right, size);
    if (at.x != right.x)
        at = OnPictureBelowTopBar({box.left - CardGap - size.x, right.y}, size);
    panel->setPosition(at);
}
