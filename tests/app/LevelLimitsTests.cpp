// Levels made to freeze the game, fill its memory or never end, as a tester made them from
// altered copies of the shipped map. Each is started as the game starts a level (GamePlay::Init)
// in a child process of its own, played for a few seconds of game time, and must end in its
// lines and stay small, with a game that goes on or a level refused on screen. The parent
// opens no window and no GL context: the children make their own.

#include "app/Game.hpp"
#include "app/GamePlay.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "tests/support/ChildProcess.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

using nlohmann::json;

namespace
{
json& ObjectsOf(json& map)
{
    for (auto& layer : map["layers"])
        if (layer["type"] == "objectgroup")
            return layer["objects"];
    throw std::runtime_error("the shipped map has no object layer");
}

void Remove(json& map, const std::string& type)
{
    auto& objects = ObjectsOf(map);
    objects.erase(
        std::remove_if(objects.begin(), objects.end(), [&](const json& o) { return o["type"] == type; }),
        objects.end());
}

json& First(json& map, const std::string& type)
{
    for (auto& object : ObjectsOf(map))
        if (object["type"] == type)
            return object;
    throw std::runtime_error("no " + type);
}

void Set(json& object, const std::string& name, json value)
{
    for (auto& property : object["properties"])
        if (property["name"] == name)
            property["value"] = std::move(value);
}

json Copies(json object, int count, const std::function<void(json&, int)>& change = {})
{
    json copies = json::array();
    for (int i = 0; i < count; ++i)
    {
        object["id"] = 1000 + i;
        if (change)
            change(object, i);
        copies.push_back(object);
    }
    return copies;
}

void Append(json& map, const json& objects)
{
    for (const auto& object : objects)
        ObjectsOf(map).push_back(object);
}

// The base's hit points after it loaded, then after one enemy's blow of 5.
std::string BaseHealth()
{
    const auto bases = GameObjectManager::instance().GetBases();
    if (bases.empty())
        return "no base";
    auto* status = bases.front()->FindComponent<StatusComponent>();
    const std::string loaded = std::to_string(status->health);
    status->TakeDamage(5.f);
    return loaded + " then " + std::to_string(status->health);
}

std::string Spawners()
{
    int count = 0;
    for (const auto& object : GameObjectManager::instance().objects)
        count += object->FindComponent<EnemySpawnerComponent>() ? 1 : 0;
    return std::to_string(count) + " spawners";
}

struct Case
{
    const char* name;
    std::function<void(json&)> change;
    float seconds;                      // game time played at 1/60 s
    std::function<std::string()> probe; // what the child reports after playing
    std::string expected;
    int lines; // printed by the level's loading
};
} // namespace

TEST(LevelLimits, HostileLevelsEndInTheirLinesAndStaySmall)
{
    json shipped;
    std::ifstream(testing_support::SourceAssets() / "game.tmj") >> shipped;

    std::size_t mostQueued = 0; // filled in the child, per frame
    const auto wave = []
    {
        return "wave " + std::to_string(GameCounters::instance().wave);
    };
    const auto refused = []
    {
        return std::string(GameplayManager::instance().running ? "running" : "stopped") +
               (UIManager::instance().gui->get<vgui::TextArea>("FallbackMessage") ? ", refused on screen"
                                                                                  : "");
    };
    const Case cases[] = {
        {"WaveSize 2^31 - 1", [](json& m) { Set(First(m, "Spawner"), "WaveSize", 2147483647); }, 3.f,
         [&] { return "most queued " + std::to_string(mostQueued); }, "most queued 10000", 1},
        {"WaveSize 0", [](json& m) { Set(First(m, "Spawner"), "WaveSize", 0); }, 20.f, wave, "wave 5", 1},
        {"4096 stacked 1 x 1 obstacles",
         [](json& m)
         {
             json stone = First(m, "Obstacle");
             stone["x"] = 600, stone["y"] = 400, stone["width"] = 1, stone["height"] = 1;
             Append(m, Copies(stone, 4096 - static_cast<int>(ObjectsOf(m).size())));
         },
         2.f,
         []
         {
             const auto& objects = GameObjectManager::instance().objects;
             return std::to_string(std::count_if(objects.begin(), objects.end(),
                                                 [](const auto& o)
                                                 { return o->type == ObjectType::Obstacle; })) +
                    " obstacles";
         },
         "256 obstacles", 1},
        {"4000 waypoints",
         [](json& m)
         { Append(m, Copies(First(m, "Waypoint"), 4000, [](json& w, int i) { w["x"] = i % 1280; })); },
         1.f, refused, "stopped, refused on screen", 1},
        {"1000 waypoints in falling order",
         [](json& m)
         {
             json last = First(m, "Waypoint");
             Remove(m, "Waypoint");
             Append(m, Copies(last, 1000,
                              [](json& w, int i)
                              {
                                  Set(w, "Waypoint", 1000 - i);
                                  w["x"] = i == 0 ? 1180 : 100 + i, w["y"] = i == 0 ? 420 : 180;
                              }));
         },
         1.f,
         []
         {
             const auto& path = GameplayManager::instance().waypoints;
             return std::to_string(path.size()) + " from " + std::to_string(path.front()->index) + " to " +
                    std::to_string(path.back()->index);
         },
         "1000 from 1 to 1000", 0},
        {"Health 10^12", [](json& m) { Set(First(m, "Base"), "Health", 1e12); }, 0.f, BaseHealth,
         "10000000 then 9999995", 1},
        {"Health 2^32 - 1", [](json& m) { Set(First(m, "Base"), "Health", 4294967295.0); }, 0.f, BaseHealth,
         "10000000 then 9999995", 1},
        {"Health 10^9", [](json& m) { Set(First(m, "Base"), "Health", 1e9); }, 0.f, BaseHealth,
         "10000000 then 9999995", 1},
        {"300 spawners",
         [](json& m)
         {
             json spawner = First(m, "Spawner");
             Remove(m, "Spawner");
             Append(m, Copies(spawner, 300));
         },
         1.5f, [&] { return Spawners() + ", " + wave(); }, "64 spawners, wave 1", 1},
        {"no base", [](json& m) { Remove(m, "Base"); }, 1.f, refused, "stopped, refused on screen", 1},
        {"no waypoints", [](json& m) { Remove(m, "Waypoint"); }, 1.f, refused, "stopped, refused on screen",
         1},
        {"every waypoint at one point",
         [](json& m)
         {
             for (auto& object : ObjectsOf(m))
                 if (object["type"] == "Waypoint")
                     object["x"] = 640, object["y"] = 400;
         },
         1.f, refused, "stopped, refused on screen", 12},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testing_support::ScratchGame game;
        json map = shipped;
        c.change(map);
        game.WriteAsset("game.tmj", map.dump());
        mostQueued = 0;
        const auto run = testing_support::InChild(
            [&]
            {
                std::ostringstream printed;
                std::cout.rdbuf(printed.rdbuf());
                testing_support::KeepGlContext();
                LoadGameAssets(AssetManager::instance());
                testing_support::ResetWorld();
                GamePlay state;
                state.Init();
                const std::string loading = printed.str();
                const auto lines = std::count(loading.begin(), loading.end(), '\n');
                for (int frame = 0; frame < static_cast<int>(c.seconds * 60.f); ++frame)
                {
                    state.Update(1.f / 60.f);
                    for (const auto& object : GameObjectManager::instance().objects)
                        if (const auto* spawner = object->FindComponent<EnemySpawnerComponent>())
                            mostQueued = std::max(mostQueued, spawner->queue.size());
                }
                return std::to_string(lines) + " line(s): " + c.probe() + "\n" + printed.str();
            });
        EXPECT_FALSE(run.hung) << "still running at the hang ceiling";
        EXPECT_TRUE(run.exited && run.status == 0) << "died: signal " << run.signal;
        EXPECT_LT(run.peakMegabytes, testing_support::MostMegabytes);
        EXPECT_EQ(run.output.substr(0, run.output.find('\n')),
                  std::to_string(c.lines) + " line(s): " + c.expected)
            << run.output;
    }
}
