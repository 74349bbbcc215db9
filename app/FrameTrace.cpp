#include "app/FrameTrace.hpp"

#include "app/Game.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/GameCounters.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

std::optional<StartCounters> StartCounters::FromEnvironment()
{
    const char* text = std::getenv("VARNHOLD_START_COUNTERS");
    StartCounters counters;
    if (!text || std::sscanf(text, "%d %d", &counters.money, &counters.score) != 2)
        return std::nullopt;
    return counters;
}

std::unique_ptr<FrameTrace> FrameTrace::FromEnvironment()
{
    const char* path = std::getenv("VARNHOLD_TRACE");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<FrameTrace>(path);
}

FrameTrace::FrameTrace(const std::string& path) : path(path), file(path, std::ios::out | std::ios::trunc)
{
}

namespace
{
// Every shown widget that carries text, in drawing order.
void ShownTexts(const vgui::Widget& widget, std::ostream& out)
{
    if (!widget.isVisible())
        return;
    std::string text;
    std::size_t lines = 1, shown = 1;
    if (const auto* area = dynamic_cast<const vgui::TextArea*>(&widget))
    {
        text = area->getText();
        lines = area->getLinesCount();
        shown = area->getVisibleLinesCount();
    }
    else if (const auto* label = dynamic_cast<const vgui::Label*>(&widget))
        text = label->getText();
    else if (const auto* button = dynamic_cast<const vgui::Button*>(&widget))
        text = button->getText();
    if (!text.empty())
    {
        std::size_t paragraphs = 1;
        std::string flat;
        for (const char c : text)
        {
            paragraphs += c == '\n';
            flat += c == '\n' ? std::string("\\n") : std::string(1, c);
        }
        const sf::Vector2f at = widget.getAbsolutePosition();
        const sf::Vector2f size = widget.getSize();
        out << widget.getName() << '\t' << at.x << ' ' << at.y << ' ' << size.x << ' ' << size.y << '\t'
            << lines << ' ' << paragraphs << ' ' << shown << '\t' << flat << '\n';
    }
    if (const auto* container = dynamic_cast<const vgui::Container*>(&widget))
        for (const auto& child : container->getWidgets())
            ShownTexts(*child, out);
}
} // namespace

void FrameTrace::WriteTexts(const vgui::Widget& root)
{
    const std::string ask = path + ".ask";
    std::error_code error;
    if (!std::filesystem::exists(ask, error))
        return;
    {
        std::ofstream out(path + ".texts.tmp", std::ios::out | std::ios::trunc);
        ShownTexts(root, out);
    }
    std::filesystem::rename(path + ".texts.tmp", path + ".texts", error);
    std::filesystem::remove(ask, error);
}

void FrameTrace::Write(const Game& game, float dt)
{
    ++frame;
    clock += dt;
    const auto& gameplay = GameplayManager::instance();
    const auto& counters = GameCounters::instance();
    int towers = 0, enemies = 0;
    std::uint32_t keep = 0;
    std::ostringstream walking;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (!object->alive)
            continue;
        towers += object->type == ObjectType::Tower;
        if (const auto* status = object->FindComponent<StatusComponent>();
            status && object->type == ObjectType::Base)
            keep = status->health;
        if (object->type == ObjectType::Enemy && enemies++ < MostEnemies)
            walking << (enemies > 1 ? "," : "") << object->id << ':' << object->getPosition().x << ':'
                    << object->getPosition().y;
    }
    // The level's key as one word.
    std::string level = gameplay.level.key;
    for (char& c : level)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            c = '_';
    file << "frame " << frame << " clock " << clock << " screen " << game.uiManager.currentScreen
         << " running " << gameplay.running << " paused " << gameplay.paused << " speed " << gameplay.speed
         << " time " << counters.statistics.timeSurvived << " money " << counters.money << " score "
         << counters.score << " wave " << counters.wave << " towers " << towers << " keep " << keep
         << " selected " << (gameplay.cursorInput ? gameplay.cursorInput->selectedTower : 0) << " spent "
         << counters.statistics.goldSpent << " level " << level << " difficulty "
         << static_cast<int>(gameplay.difficulty) << " held " << gameplay.wavesHeld << " living " << enemies;
    const auto [hint, point] = game.uiManager.ShownHint();
    file << " hint " << hint << ':' << point.x << ':' << point.y << " enemies "
         << (enemies > 0 ? walking.str() : "-") << std::endl;
    if (game.uiManager.gui)
        WriteTexts(*game.uiManager.gui);
}
