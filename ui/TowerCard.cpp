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
#include "ui/Numbers.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <optional>
#include <string>

namespace
{
const WidgetName Panel{"TowerCard", WidgetType::Any, Need::Optional};
const WidgetName Title{"CardTitle", WidgetType::TextArea, Need::Optional};
const WidgetName Text{"CardText", WidgetType::TextArea, Need::Optional};
const WidgetName UpgradeButton{"CardUpgradeButton", WidgetType::Button, Need::Optional};
const WidgetName SellButton{"CardSellButton", WidgetType::Button, Need::Optional};
const WidgetName RepairButton{"CardRepairButton", WidgetType::Button, Need::Optional};

constexpr float RestSeconds = 0.35f;    // the pointer rests this long on an object to open its card
constexpr float LeaveSeconds = 0.45f;   // the card stays this long after the pointer left
constexpr float CardGap = 10.f;         // pixels between the object and its card
constexpr float KindCardHeight = 166.f; // the card of a HUD button: six lines, no buttons

std::string Change(const char* what, float before, float after)
{
    return std::string(what) + " " + Figure(before) + " -> " + Figure(after) + "\n";
}

sf::FloatRect BoxOf(const GameObject& object)
{
    if (const auto* box = object.FindComponent<BoxCollisionComponent>())
        return box->rect;
    return {object.getPosition() - sf::Vector2f(32.f, 32.f), {64.f, 64.f}};
}

// What the next upgrade does, from the very step the upgrade applies: the figures it changes, or
// that it changes none of them.
std::string NextUpgradeLines(const TowerFigures& now, const TowerFigures& next)
{
    std::string lines;
    if (next.damagePerHit != now.damagePerHit)
        lines += Change("damage per hit", now.damagePerHit, next.damagePerHit);
    if (next.shotsPerSecond != now.shotsPerSecond)
        lines += Change("shots per second", now.shotsPerSecond, next.shotsPerSecond);
    if (next.range != now.range)
        lines += Change("reach", now.range, next.range);
    return lines.empty() ? "new look, same figures\n" : lines;
}

std::string FiguresText(const TowerFigures& figures)
{
    return "Damage per hit: " + Figure(figures.damagePerHit) +
           "\nShots per second: " + Figure(figures.shotsPerSecond) + "\nReach: " + Figure(figures.range) +
           "\n";
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
    kind = restingKind = 0;
    rest = away = buttonRest = 0.f;
    wasChoosing = false;
    openedOnTower = false;
    if (const auto panel = gui.get<vgui::Widget>(Panel.name))
        formSize = panel->getSize();
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

std::optional<sf::FloatRect> TowerCard::Box() const
{
    const auto panel = gui.get<vgui::Widget>(Panel.name);
    if (!panel || !panel->isVisible())
        return std::nullopt;
    return sf::FloatRect(panel->getAbsolutePosition(), panel->getSize());
}

void TowerCard::Close()
{
    target.reset();
    kind = NoTower;
    away = 0.f;
    GameplayManager::instance().inspected.reset();
    if (const auto panel = gui.get<vgui::Widget>(Panel.name))
        panel->setVisible(false);
}

void TowerCard::Update(float dt, int buttonKind, sf::FloatRect button)
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

    // Resting on a HUD tower button: the card of that kind, under the button, before it is bought.
    buttonRest = buttonKind != NoTower && buttonKind == restingKind ? buttonRest + dt : 0.f;
    restingKind = buttonKind;
    if (buttonKind != NoTower)
    {
        candidate.reset();
        if (buttonKind != kind && buttonRest >= RestSeconds)
        {
            Close();
            kind = buttonKind;
            FillKind();
            panel->setSize(formSize.x, std::min(formSize.y, KindCardHeight));
            const sf::Vector2f size = panel->getSize();
            panel->setPosition(OnPictureBelowTopBar(
                {button.left + button.width / 2.f - size.x / 2.f, button.top + button.height + CardGap},
                size));
            panel->setVisible(true);
            panel->moveToFront();
        }
        return;
    }
    if (kind != NoTower)
    {
        // Off the button, the kind's card goes at once: it stands where the field begins.
        Close();
    }

    const auto shown = target.lock();
    if (shown && (!shown->alive || choosing))
    {
        Close();
        return;
    }
    const bool overCard =
        panel->isVisible() && sf::FloatRect(panel->getPosition(), panel->getSize()).contains(pointer);

    // Resting on a tower or the keep (not through the HUD, not while placing a tower) opens its
    // card; a click on it opens the card at once. Only a click reaches through the card: resting
    // on it to read it changes nothing.
    const auto under = choosing || input.pointerOverWidgets ? nullptr : ObjectAt(pointer);
    const auto resting = overCard ? nullptr : under;
    if (resting && resting == candidate.lock())
        rest += dt;
    else
        rest = 0.f;
    candidate = resting;
    if (under && under != shown && ((resting && rest >= RestSeconds) || clickOpens))
    {
        target = under;
        away = 0.f;
        openedOnTower = openedOnTower || under->type == ObjectType::Tower;
        GameplayManager::instance().inspected = under;
        panel->setSize(formSize);
        Place(*under);
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

void TowerCard::Place(const GameObject& object)
{
    const auto panel = gui.get<vgui::Widget>(Panel.name);
    if (!panel)
        return;
    const sf::FloatRect box = BoxOf(object);
    const sf::Vector2f size = panel->getSize();
    const float right = box.left + box.width + CardGap, left = box.left - CardGap - size.x;
    const float middle = box.top + box.height / 2.f - size.y / 2.f;
    const float centre = box.left + box.width / 2.f - size.x / 2.f;
    // Beside it first (right, then left), then below and above, then beside it raised or lowered.
    const sf::Vector2f places[] = {{right, middle},
                                   {left, middle},
                                   {centre, box.top + box.height + CardGap},
                                   {centre, box.top - CardGap - size.y},
                                   {right, box.top},
                                   {left, box.top},
                                   {right, box.top + box.height - size.y},
                                   {left, box.top + box.height - size.y}};
    const auto hidesAnother = [&object](const sf::FloatRect& card)
    {
        for (const auto& other : GameObjectManager::instance().objects)
        {
            if (other.get() != &object && other->alive &&
                (other->type == ObjectType::Tower || other->type == ObjectType::Base) &&
                BoxOf(*other).intersects(card))
                return true;
        }
        return false;
    };
    std::optional<sf::Vector2f> fallback;
    for (const sf::Vector2f want : places)
    {
        const sf::Vector2f at = OnPictureBelowTopBar(want, size);
        const sf::FloatRect card(at, size);
        if (card.intersects(box))
            continue; // pushed over its own object by the picture's edge
        if (!hidesAnother(card))
        {
            panel->setPosition(at);
            return;
        }
        if (!fallback)
            fallback = at;
    }
    // No place hides nothing: the card still lets clicks through to the towers under it.
    panel->setPosition(fallback ? *fallback : OnPictureBelowTopBar({right, middle}, size));
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
        title = std::string(type ? type->name : "Tower") + ", level " + WholeNumber(figures->level);
        text = FiguresText(*figures) + "Kills: " + WholeNumber(figures->kills) + "\n";
        if (const auto next = FiguresAfterUpgrade(*shown))
        {
            const auto* upgrade = shown->FindComponent<UpgradeStateComponent>();
            text += "\nNext upgrade, " + WholeNumber(UpgradePrice(*upgrade)) + " gold:\n" +
                    NextUpgradeLines(*figures, *next);
            canUpgrade = true;
        }
        else
        {
            text += "\nFully upgraded";
        }
        sellText = "Sell +" + WholeNumber(SellRefund(*shown));
    }
    else if (const auto keep = KeepFiguresOf(*shown))
    {
        title = "Keep, level " + WholeNumber(keep->level);
        text = "Hit points: " + WholeNumber(keep->health) + " / " + WholeNumber(keep->maxHealth) + "\n";
        if (keep->upgradeGain > 0)
        {
            const auto* upgrade = shown->FindComponent<UpgradeStateComponent>();
            text += "\nNext upgrade, " + WholeNumber(UpgradePrice(*upgrade)) + " gold:\nhit points +" +
                    WholeNumber(keep->upgradeGain) + "\n";
            canUpgrade = true;
        }
        else
        {
            text += "\nFully upgraded\n";
        }
        const auto& config = GameConfig::instance();
        text += "\nRepair for " + WholeNumber(config.repairPrice) + " gold:\nhit points +" +
                WholeNumber(config.repairAmount);
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
        upgrade->setVisible(true);
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
}

void TowerCard::FillKind()
{
    const auto figures = FiguresOfKind(kind);
    if (!figures)
        return;
    const TowerType* type = TowerTypeOf(kind);
    std::string text = "Price: " + WholeNumber(type->price) + " gold\n" + FiguresText(*figures) + "\n";
    const auto prices = UpgradePricesOf(kind);
    if (prices.empty())
    {
        text += "Upgrades: none";
    }
    else
    {
        text += "Upgrades: " + WholeNumber(static_cast<std::int64_t>(prices.size())) + " (";
        for (std::size_t i = 0; i < prices.size(); ++i)
            text += (i > 0 ? ", " : "") + WholeNumber(prices[i]);
        text += " gold)";
    }
    if (const auto area = gui.get<vgui::TextArea>(Title.name))
        area->setText(type->name);
    if (const auto area = gui.get<vgui::TextArea>(Text.name))
        area->setText(text);
    // Nothing to upgrade, sell or repair yet.
    for (const WidgetName* button : {&UpgradeButton, &SellButton, &RepairButton})
    {
        if (const auto widget = gui.get<vgui::Button>(button->name))
            widget->setVisible(false);
    }
}
