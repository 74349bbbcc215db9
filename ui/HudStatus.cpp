// The HUD beside the design's counters: the running wave and the time to the next one, the keep's
// hit points in numbers, the frame around the chosen tower's button, and the short text that says
// at the pointer why a click did nothing. Every widget named here is optional.

#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Waves.hpp"
#include "services/GameCounters.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
std::string OneDecimal(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

constexpr float FeedbackOffsetX = 16.f, FeedbackOffsetY = -44.f; // from the pointer, pixels
// The HUD's picture: 1280 x 720, the top bar's bottom edge at 80.
constexpr float PictureWidth = 1280.f, PictureHeight = 720.f, BelowTopBar = 86.f, Margin = 4.f;
} // namespace

sf::Vector2f UIManager::OnPictureBelowTopBar(sf::Vector2f at, sf::Vector2f size)
{
    return {std::clamp(at.x, Margin, PictureWidth - Margin - size.x),
            std::clamp(at.y, BelowTopBar, PictureHeight - Margin - size.y)};
}

void UIManager::UpdateStatus(const GameObject* keep)
{
    if (const auto text = gui->get<vgui::TextArea>("WaveStatusText"))
        text->setText(wave > 0 ? "Wave " + std::to_string(wave) : "Get ready");
    if (const auto text = gui->get<vgui::TextArea>("NextWaveText"))
    {
        std::string line;
        if (const auto spawner = GameplayManager::instance().spawner.lock())
        {
            if (const auto seconds = spawner->SecondsToNextWave())
                line = (wave > 0 ? "Next wave in " : "First wave in ") + OneDecimal(*seconds) + " s";
            else
                line = std::to_string(spawner->queue.size()) + " more to come";
        }
        text->setText(line);
    }
    const auto* status = keep ? keep->FindComponent<StatusComponent>() : nullptr;
    if (const auto text = gui->get<vgui::TextArea>("KeepText"))
        text->setText(status ? "Keep " + std::to_string(status->health) + " / " +
                                   std::to_string(status->maxHealth)
                             : "Keep");
    if (const auto bar = gui->get<vgui::ProgressBar>("KeepBar"); bar && status && status->maxHealth > 0)
    {
        const auto percent = static_cast<unsigned>(static_cast<float>(status->health) /
                                                   static_cast<float>(status->maxHealth) * 100.f);
        bar->setValue(percent);
        // The same warning as the keep's own bar; the numbers beside it say it without colour.
        const bool healthy = static_cast<int>(percent) >= healthWarningPercent;
        bar->getRenderer()->setFillColor(healthy ? sf::Color(63, 163, 77) : sf::Color(200, 60, 50));
    }
}

void UIManager::UpdateSelectionFrame()
{
    const auto frame = gui->get<vgui::Widget>("SelectionFrame");
    if (!frame)
        return;
    const int selected = cursorInput ? cursorInput->selectedTower : NoTower;
    const char* const buttons[] = {"BulletTowerButton", "RocketTowerSmallButton", "RocketTowerBigButton"};
    const auto button =
        TowerTypeOf(selected) ? gui->get<vgui::Widget>(buttons[selected - BulletTower]) : nullptr;
    frame->setVisible(button != nullptr);
    if (!button)
        return;
    // The frame sits in the button's panel, a few pixels around it.
    const sf::Vector2f margin = (frame->getSize() - button->getSize()) / 2.f;
    frame->setPosition(button->getPosition() - margin);
}

void UIManager::UpdateFeedback(float dt)
{
    auto& refusal = GameCounters::instance().refusal;
    const auto text = gui->get<vgui::TextArea>("FeedbackText");
    if (refusal.timer <= 0.f || refusal.text.empty())
    {
        if (text)
            text->setVisible(false);
        return;
    }
    refusal.timer -= dt;
    if (!text)
        return;
    if (text->getText() != refusal.text)
        text->setText(refusal.text);
    // Beside the pointer, inside the picture and below the top bar.
    text->setPosition(
        OnPictureBelowTopBar(refusal.at + sf::Vector2f(FeedbackOffsetX, FeedbackOffsetY), text->getSize()));
    text->setVisible(true);
    text->moveToFront(); // over the health bars that came after the HUD
}
