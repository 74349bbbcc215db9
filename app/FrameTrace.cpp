#include "app/FrameTrace.hpp"

#include "app/Game.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/GameCounters.hpp"
#include "ui/UIManager.hpp"

#include <cstdlib>
#include <sstream>

std::unique_ptr<FrameTrace> FrameTrace::FromEnvironment()
{
    const char* path = std::getenv("VARNHOLD_TRACE");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<FrameTrace>(path);
}

FrameTrace::FrameTrace(const std::string& path) : file(path, std::ios::out | std::ios::trunc)
{
}

void FrameTrace::Write(const Game& game, float dt)
{
    ++frame;
    clock += dt;
    const auto& gameplay = GameplayManager::instance();
    const auto& counters = GameCounters::instance();
    int towers = 0, enemies = 0;
    std::ostringstream walking;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (!object->alive)
            continue;
        towers += object->type == ObjectType::Tower;
        if (object->type == ObjectType::Enemy && enemies++ < MostEnemies)
            walking << (enemies > 1 ? "," : "") << object->id << ':' << object->getPosition().x << ':'
                    << object->getPosition().y;
    }
    file << "frame " << frame << " clock " << clock << " screen " << game.uiManager.currentScreen
         << " running " << gameplay.running << " paused " << gameplay.paused << " speed " << gameplay.speed
         << " time " << counters.statistics.timeSurvived << " money " << counters.money << " score "
         << counters.score << " wave " << counters.wave << " towers " << towers << " living " << enemies
         << " enemies " << (enemies > 0 ? walking.str() : "-") << std::endl;
}
