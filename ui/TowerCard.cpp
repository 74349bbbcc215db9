#include "ui/TowerCard.hpp"

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
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
const WidgetName Panel{"TowerCard", WidgetType::Any, Need::Optional};
const WidgetName Title{"CardTitle", WidgetType::TextArea, Need::Optional};
const WidgetName Text{"CardText", WidgetType::TextArea, Need::Optional};
const WidgetName UpgradeButton{"CardUpgradeButton", WidgetType::Button, Need::Optional};
const WidgetName SellButton{"CardSellButton", WidgetType::Button, Need::Optional};
const WidgetName RepairButton{"CardRepairButton", WidgetType::Button, Need::Optional};

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

std::shared_ptr<GameObject> TowerCard::ObjectAt(sf::Vector2f point) const
{
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if ((object->type == ObjectType::Tower || object->type == ObjectType::Base) && object->alive &&
            BoxOf(*object).contains(point))
            return object;
    }
    return nullptr;
}

TowerCard::TowerCard(vgui::Gui& gui, std::function<void()> repair) : gui(gui), repair(std::move(repair))
{
}

void TowerCard::Connect()
{
    target.reset();
    candidate.reset();
    rest = away = 0.f;
    wasChoosing = false;
    if (const auto upgrade = gui.get<vgui::Button>(UpgradeButton.name))
        upgrade->onPress(
            [this]
            {
                const auto shown = target.lock();
                if (!shown)
                    return;
                if (const char* refusal = RefusalText(GameConfig::instance().tryUpgrade(*shown)))
                    GameCounters::instance().Refuse(refusal, InputManager::instance().MousePosition());
                Fill();
            });
    if (const auto sell = gui.get<vgui::Button>(SellButton.name))
        sell->onPress(
            [this]
            {
                if (const auto shown = target.lock())
                    GameConfig::instance().SellTower(*shown);
                Close();
            });
    if (const auto button = gui.get<vgui::Button>(RepairButton.name))
        button->onPress(
            [this]
            {
                repair();
                Fill();
            });
}

void TowerCard::Close()
{
    target.reset();
    away = 0.f;
    GameplayManager::instance().inspected.reset();
    if (const auto panel = gui.get<vgui::Widget>(Panel.name))
        panel->setVisible(false);
}

void TowerCard::Update(float dt)
{
    const auto panel = gui.get<vgui::Widget>(Panel.name);
    if (!panel)
        return;
    const auto& input = InputManager::instance();
    const sf::Vector2f pointer = input.MousePosition();
    const auto& cursor = GameplayManager::instance().cursorInput;
    const bool choosing = cursor && cursor->selectedTower != NoTower;
    // A click made while a tower kind was selected built (or was refused); it opens no card.
    const bool clickOpens = !choosing && !wasChoosing && input.IsMouseButtonPressed(sf::Mouse::Left);
    wasChoosing = choosing;
    const auto shown = target.lock();
    if (shown && (!shown->alive || choosing))
    {
        Close();
        return;
    }
    const bool overCard =
        panel->isVisible() && sf::FloatRect(panel->getPosition(), panel->getSize()).contains(pointer);

    // Resting on a tower or the keep (not through the HUD, not while placing a tower) opens its
    // card; a click on it opens the card at once.
    const auto under = choosing || input.pointerOverWidgets ? nullptr : ObjectAt(pointer);
    if (under && under == candidate.lock())
        rest += dt;
    else
        rest = 0.f;
    candidate = under;
    if (under && under != shown && (rest >= RestSeconds || clickOpens))
    {
        target = under;
        away = 0.f;
        GameplayManager::instance().inspected = under;
        Fill();
        panel->setVisible(true);
        panel->moveToFront();
        return;
    }
    if (!shown)
        return;
    if (under == shown || overCard)
        away = 0.f;
    else if ((away += dt) >= LeaveSeconds)
    {
        Close();
        return;
    }
    Fill();
    panel->moveToFront(); // over the health bars of enemies that came since
}

void TowerCard::Fill()
{
    const auto shown = target.lock();
    const auto panel = gui.get<vgui::Widget>(Panel.name);
    if (!shown || !panel)
        return;
    std::string title, text;
    std::string sellText;
    bool canUpgrade = false;
    const bool isKeep = shown->type == ObjectType::Base;
    if (const auto figures = FiguresOf(*shown))
    {
        const TowerType* type = TowerTypeOf(figures->kind);
        title = std::string(type ? type->name : "Tower") + ", level " + std::to_string(figures->level);
        text = "Damage per hit: " + Number(figures->damagePerHit) +
               "\nShots per second: " + Number(figures->shotsPerSecond) +
               "\nRange: " + Number(figures->range) + "\nKills: " + std::to_string(figures->kills) + "\n";
        if (const auto next = FiguresAfterUpgrade(*shown))
        {
            const auto* upgrade = shown->FindComponent<UpgradeStateComponent>();
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
        sellText = "Sell +" + std::to_string(SellRefund(*shown));
    }
    else if (const auto keep = KeepFiguresOf(*shown))
    {
        title = "Keep, level " + std::to_string(keep->level);
        text = "Hit points: " + std::to_string(keep->health) + " / " + std::to_string(keep->maxHealth) + "\n";
        if (keep->upgradeGain > 0)
        {
            const auto* upgrade = shown->FindComponent<UpgradeStateComponent>();
            text += "\nUpgrade for " + std::to_string(UpgradePrice(*upgrade)) + " gold:\nhit points +" +
                    std::to_string(keep->upgradeGain) + "\n";
            canUpgrade = true;
        }
        else
        {
            text += "\nFully upgraded\n";
        }
        const auto& config = GameConfig::instance();
        text += "\nRepair for " + std::to_string(config.repairPrice) + " gold:\nhit points +" +
                std::to_string(config.repairAmount);
    }
    const auto setText = [this](const WidgetName& name, const std::string& value)
    {
        if (const auto area = gui.get<vgui::TextArea>(name.name); area && area->getText() != value)
            area->setText(value);
    };
    setText(Title, title);
    setText(Text, text);
    if (const auto upgrade = gui.get<vgui::Button>(UpgradeButton.name))
    {
        upgrade->setEnabled(canUpgrade);
        upgrade->setText(canUpgrade ? "Upgrade" : "Maxed");
    }
    if (const auto sell = gui.get<vgui::Button>(SellButton.name))
    {
        sell->setVisible(!isKeep);
        sell->setText(sellText);
    }
    if (const auto button = gui.get<vgui::Button>(RepairButton.name))
        button->setVisible(isKeep);

    // Beside the object: to its right if the card fits there, else to its left; inside the
    // picture and below the top bar.
    const sf::FloatRect box = BoxOf(*shown);
    const sf::Vector2f size = panel->getSize();
    const sf::Vector2f right(box.left + box.width + CardGap, box.top + box.height / 2.f - size.y / 2.f);
    sf::Vector2f at = OnPictureBelowTopBar(right, size);
    if (at.x != right.x)
        at = OnPictureBelowTopBar({box.left - CardGap - size.x, right.y}, size);
    panel->setPosition(at);
}
