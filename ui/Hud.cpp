// The heads-up display: counters, affordability icons, the wave announcement and the money and
// score change texts.

#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>
#include <string>

void UIManager::LoadHUD()
{
    if (const auto bullet = gui->get<vgui::BitmapButton>("BulletTowerButton"))
        bullet->onPress([this] { SelectTower(BulletTower); });
    if (const auto smallRocket = gui->get<vgui::BitmapButton>("RocketTowerSmallButton"))
        smallRocket->onPress([this] { SelectTower(SmallRocketTower); });
    if (const auto bigRocket = gui->get<vgui::BitmapButton>("RocketTowerBigButton"))
        bigRocket->onPress([this] { SelectTower(BigRocketTower); });
    if (const auto repair = gui->get<vgui::BitmapButton>("RepairButton"))
        repair->onPress([this] { RepairBase(); });
    for (const char* name : {"WaveText", "MoneyAddText", "ScoreAddText"})
    {
        if (const auto text = gui->get<vgui::TextArea>(name))
            text->setVisible(false);
    }
    ConnectHudControls();
    ConnectTowerCard();
}

void UIManager::SelectTower(int kind)
{
    if (!cursorInput)
        return;
    cursorInput->selectedTower = cursorInput->selectedTower == kind ? 0 : kind;
}

void UIManager::RepairBase()
{
    const auto base = GameObjectManager::instance().FindByName("Base");
    if (!base)
        return;
    const auto status = base->GetComponent<StatusComponent>();
    if (!status)
        return;
    // A repair that buys nothing says why at the pointer.
    if (status->health == status->maxHealth || money < config.repairPrice)
    {
        GameCounters::instance().Refuse(status->health == status->maxHealth ? "The keep is whole"
                                                                            : "Not enough gold",
                                        InputManager::instance().MousePosition());
        return;
    }
    ChangeMoney(-config.repairPrice);
    const auto amount = static_cast<std::uint32_t>(config.repairAmount);
    status->health += amount;
    status->maxHealth += amount;
}

std::shared_ptr<const sf::Texture> UIManager::Icon(const std::string& path)
{
    auto& icon = icons[path];
    if (!icon)
    {
        auto texture = std::make_shared<sf::Texture>();
        if (!LoadCheckedTexture(*texture, path))
            std::cerr << "Could not load HUD icon \"" << path << "\"" << std::endl;
        icon = std::move(texture);
    }
    return icon;
}

namespace
{
void ShowChange(vgui::TextArea* text, std::int32_t change)
{
    if (!text)
        return;
    text->setVisible(true);
    if (change > 0)
    {
        text->setText("+ " + std::to_string(change));
        text->getRenderer()->setTextColor(sf::Color::Green);
    }
    else
    {
        text->setText(std::to_string(change));
        text->getRenderer()->setTextColor(sf::Color::Red);
    }
}
} // namespace

void UIManager::UpdateHUD(float dt)
{
    if (currentScreen != HudScreen)
        return;
    RefreshHudControls();
    const GameObject* keep = nullptr;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type == ObjectType::Base)
        {
            keep = object.get();
            break;
        }
    }
    UpdateStatus(keep);
    UpdateSelectionFrame();
    UpdateFeedback(dt);

    if (const auto text = gui->get<vgui::TextArea>("MoneyText"))
        text->setText(std::to_string(money));
    if (const auto text = gui->get<vgui::TextArea>("ScoreText"))
        text->setText(std::to_string(score));

    struct IconRule
    {
        const char* button;
        std::int32_t price;
        const char* affordable;
        const char* otherwise;
    };
    const auto towerRule = [this](const char* button, int kind)
    {
        const TowerType& type = *TowerTypeOf(kind);
        return IconRule{button, TowerPrice(kind), type.iconAffordable, type.icon};
    };
    const IconRule rules[] = {
        towerRule("BulletTowerButton", BulletTower),
        towerRule("RocketTowerSmallButton", SmallRocketTower),
        towerRule("RocketTowerBigButton", BigRocketTower),
        {"RepairButton", config.repairPrice, "hud_life_repair_active.png", "hud_life_repair.png"},
    };
    for (const auto& rule : rules)
    {
        if (const auto button = gui->get<vgui::BitmapButton>(rule.button))
            button->setImage(Icon(AssetPath(money >= rule.price ? rule.affordable : rule.otherwise)));
    }

    if (waveTextActive)
    {
        const auto text = gui->get<vgui::TextArea>("WaveText");
        if (waveTextTimer > 0.f)
        {
            if (text)
            {
                text->setVisible(true);
                text->setText("Wave Nr: " + std::to_string(wave));
            }
            waveTextTimer -= dt;
        }
        else
        {
            if (text)
                text->setVisible(false);
            waveTextActive = false;
        }
    }

    if (changeTextActive)
    {
        const auto moneyText = gui->get<vgui::TextArea>("MoneyAddText");
        const auto scoreText = gui->get<vgui::TextArea>("ScoreAddText");
        if (changeTextTimer > 0.f)
        {
            ShowChange(moneyText.get(), moneyChange);
            ShowChange(scoreText.get(), scoreChange);
            changeTextTimer -= dt;
        }
        else
        {
            if (moneyText)
                moneyText->setVisible(false);
            if (scoreText)
                scoreText->setVisible(false);
            changeTextActive = false;
            moneyChange = 0;
            scoreChange = 0;
        }
    }
}
