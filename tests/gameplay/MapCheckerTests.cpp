// The map checker on levels made small: the shipped level's layout with one thing changed per
// case. Each case names the lines it must give (the object's id and position among them), and
// whether the level can still make a game that ends.

#include "gameplay/MapChecker.hpp"
#include "tiled/TiledMap.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using nlohmann::json;

namespace
{
json Property(const std::string& name, const std::string& type, json value)
{
    return {{"name", name}, {"type", type}, {"value", std::move(value)}};
}

json Object(int id, const std::string& type, double x, double y, double w, double h,
            json properties = json::array())
{
    return {{"id", id},
            {"type", type},
            {"x", x},
            {"y", y},
            {"width", w},
            {"height", h},
            {"properties", properties}};
}

json Waypoint(int id, int index, double x, double y)
{
    return Object(id, "Waypoint", x, y, 0, 0, {Property("Waypoint", "int", index)});
}

json Spawner(int id, json properties)
{
    return Object(id, "Spawner", 0, 160, 40, 40, std::move(properties));
}

json GoodSpawnerProperties()
{
    return {Property("WaveSize", "int", 10), Property("MiddleEnemy", "int", 3),
            Property("HardEnemy", "int", 6), Property("SpawnRate", "float", 1.0)};
}

// A 32 x 18 level of 40-pixel tiles: a base whose 96 x 96 picture is centred on (1180, 420), a
// spawner, and a path from (20, 180) into the base.
json Level()
{
    json objects = {Object(1, "Base", 1132, 372, 96, 96, {Property("Health", "float", 500.0)}),
                    Spawner(2, GoodSpawnerProperties()),
                    Waypoint(3, 1, 20, 180),
                    Waypoint(4, 2, 1180, 180),
                    Waypoint(5, 3, 1180, 420),
                    Object(6, "Obstacle", 0, 160, 240, 40)};
    return {{"width", 32},
            {"height", 18},
            {"tilewidth", 40},
            {"tileheight", 40},
            {"tilesets",
             {{{"firstgid", 1}, {"name", "tilesheet"}, {"image", "tilesheet.png"}, {"tilecount", 56}}}},
            {"layers",
             {{{"type", "tilelayer"}, {"name", "Ground"}, {"width", 2}, {"height", 1}, {"data", {1, 2}}},
              {{"type", "objectgroup"}, {"name", "Objects"}, {"objects", objects}}}}};
}

json& Objects(json& level)
{
    return level["layers"][1]["objects"];
}

void Remove(json& level, const std::string& type)
{
    auto& objects = Objects(level);
    objects.erase(
        std::remove_if(objects.begin(), objects.end(), [&](const json& o) { return o["type"] == type; }),
        objects.end());
}

void SetSpawner(json& level, const std::string& name, const std::string& type, json value)
{
    for (auto& property : Objects(level)[1]["properties"])
        if (property["name"] == name)
            property = Property(name, type, std::move(value));
}

LevelPlan Plan(const json& level)
{
    MapCheckContext context;
    context.mapName = "level.tmj";
    context.checkTilesetImages = false;
    context.textureSize = [](const std::string& key) -> std::optional<sf::Vector2u>
    {
        if (key == "base" || key == "tilesheet")
            return sf::Vector2u(96, 96);
        return std::nullopt;
    };
    return PlanLevel(tmj::ParseString(level.dump()), context);
}

std::size_t Count(const LevelPlan& plan, LevelObject::Kind kind)
{
    return static_cast<std::size_t>(std::count_if(plan.objects.begin(), plan.objects.end(),
                                                  [&](const LevelObject& o) { return o.kind == kind; }));
}

struct Case
{
    const char* name;
    std::function<void(json&)> change;
    std::vector<std::string> lines; // each must be the whole of one finding
    bool playable;
    std::function<void(const LevelPlan&)> more = {};
};
} // namespace

TEST(MapChecker, EachBrokenLevelGivesItsLinesAndOnlyTheUnendingAreRefused)
{
    const Case cases[] = {
        {"the shipped layout", [](json&) {}, {}, true},
        {"no base",
         [](json& l) { Remove(l, "Base"); },
         {"level.tmj: no \"Base\" object: there is nothing to defend and the game could never end"},
         false},
        {"two bases",
         [](json& l) { Objects(l).push_back(Object(9, "Base", 600, 300, 96, 96)); },
         {"level.tmj: 2 \"Base\" objects: the game is lost when any one falls"},
         true},
        {"no spawner",
         [](json& l) { Remove(l, "Spawner"); },
         {"level.tmj: no \"Spawner\" object: no enemy would ever come"},
         false},
        {"no waypoint",
         [](json& l) { Remove(l, "Waypoint"); },
         {"level.tmj: no \"Waypoint\" object: enemies would have no path to walk"},
         false},
        {"one waypoint, in the base",
         [](json& l)
         {
             Remove(l, "Waypoint");
             Objects(l).push_back(Waypoint(3, 1, 1180, 420));
         },
         {"level.tmj: only one waypoint: enemies walk straight from their spawner to it"},
         true},
        {"a path that ends short of the base",
         [](json& l) { Objects(l)[4] = Waypoint(5, 3, 1000, 420); },
         {"level.tmj: the path ends at (1000, 420), outside the base: enemies would stop there and never "
          "reach it"},
         false},
        {"every waypoint at one point",
         [](json& l)
         {
             Remove(l, "Waypoint");
             for (int i = 0; i < 3; ++i)
                 Objects(l).push_back(Waypoint(10 + i, i, 300, 300));
         },
         {"level.tmj: Waypoint 11 at (300, 300): lies on waypoint 10 at (300, 300)",
          "level.tmj: Waypoint 12 at (300, 300): lies on waypoint 11 at (300, 300)",
          "level.tmj: the path ends at (300, 300), outside the base: enemies would stop there and never "
          "reach it"},
         false},
        {"a shared index",
         [](json& l) { Objects(l)[3] = Waypoint(4, 1, 1180, 180); },
         {"level.tmj: Waypoint 4 at (1180, 180): index 1 is also waypoint 3's; the map's order decides which "
          "comes first"},
         true},
        {"WaveSize 0",
         [](json& l) { SetSpawner(l, "WaveSize", "int", 0); },
         {"level.tmj: Spawner 2 at (0, 160): \"WaveSize\" 0 is out of range 1-10000; using 1"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(p.objects[1].waveSize, 1);
         }},
        {"WaveSize 2^31 - 1",
         [](json& l) { SetSpawner(l, "WaveSize", "int", 2147483647); },
         {"level.tmj: Spawner 2 at (0, 160): \"WaveSize\" 2147483647 is out of range 1-10000; using 10000"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(p.objects[1].waveSize, 10000);
         }},
        {"SpawnRate -1",
         [](json& l) { SetSpawner(l, "SpawnRate", "float", -1.0); },
         {"level.tmj: Spawner 2 at (0, 160): \"SpawnRate\" -1 is out of range above 0 up to 60 s; using 1 s"},
         true},
        {"thresholds out of order",
         [](json& l) { SetSpawner(l, "HardEnemy", "int", 2); },
         {"level.tmj: Spawner 2 at (0, 160): \"HardEnemy\" 2 is out of range from \"MiddleEnemy\" (3) on; "
          "using 3"},
         true},
        {"Health 10^12",
         [](json& l) { Objects(l)[0]["properties"] = {Property("Health", "float", 1e12)}; },
         {"level.tmj: Base 1 at (1132, 372): \"Health\" 1000000000000 is out of range 1-10000000; using "
          "10000000"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(p.objects[0].health, 10'000'000u);
         }},
        {"Health 0",
         [](json& l) { Objects(l)[0]["properties"] = {Property("Health", "float", 0.5)}; },
         {"level.tmj: Base 1 at (1132, 372): \"Health\" 0.5 is out of range 1-10000000; using 1"},
         true},
        {"a base picture the game does not have",
         [](json& l) { Objects(l)[0]["properties"] = {Property("Texture", "string", "castle")}; },
         {"level.tmj: Base 1 at (1132, 372): \"Texture\" \"castle\" is no texture of the game; using "
          "\"base\""},
         true},
        {"an object off the map",
         [](json& l) { Objects(l).push_back(Object(7, "Obstacle", -50, 10, 40, 40)); },
         {"level.tmj: Obstacle 7 at (-50, 10): lies outside the map (1280 x 720 pixels)"},
         true},
        {"tiles no tileset holds",
         [](json& l) {
             l["layers"][0]["data"] = {1, 900};
         },
         {"level.tmj: layer \"Ground\": 1 tile has an id beyond every tileset and is not drawn (the first at "
          "column 1, row 0: id 900)"},
         true},
        {"tiles of 2^31 - 1 pixels",
         [](json& l) { l["tilewidth"] = l["tileheight"] = 2147483647; },
         {"level.tmj: its tiles are 2147483647 x 2147483647 pixels, more than the 1024 x 1024 a tile may "
          "have"},
         false},
        {"tile layers past the cell budget",
         [](json& l)
         {
             // 257 x 256 empty cells: nothing to draw, but more cells than a level may hold.
             l["layers"][0] = {{"type", "tilelayer"},
                               {"name", "Ground"},
                               {"width", 257},
                               {"height", 256},
                               {"data", std::vector<int>(257 * 256, 0)}};
             l["width"] = 257, l["height"] = 256;
         },
         {"level.tmj: its tile layers hold 65792 cells, more than the level budget of 65536"},
         false},
        {"one tile past the drawn-tile budget",
         [](json& l)
         {
             l["layers"][0] = {{"type", "tilelayer"},
                               {"name", "Ground"},
                               {"width", 128},
                               {"height", 128},
                               {"data", std::vector<int>(128 * 128, 1)}};
             l["layers"].push_back(
                 {{"type", "tilelayer"}, {"name", "More"}, {"width", 1}, {"height", 1}, {"data", {2}}});
         },
         {"level.tmj: 16385 tiles would be drawn, more than the level budget of 16384"},
         false},
        {"65 spawners",
         [](json& l)
         {
             for (int i = 0; i < 64; ++i)
                 Objects(l).push_back(Spawner(100 + i, GoodSpawnerProperties()));
         },
         {"level.tmj: 65 \"Spawner\" objects, more than 64: only the first 64 are used"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(Count(p, LevelObject::Kind::Spawner), 64u);
         }},
        {"300 obstacles",
         [](json& l)
         {
             for (int i = 0; i < 299; ++i)
                 Objects(l).push_back(Object(100 + i, "Obstacle", 600, 400, 1, 1));
         },
         {"level.tmj: 300 \"Obstacle\" objects, more than 256: only the first 256 are used"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(Count(p, LevelObject::Kind::Obstacle), 256u);
         }},
        {"1001 waypoints",
         [](json& l)
         {
             for (int i = 0; i < 998; ++i)
                 Objects(l).push_back(Waypoint(100 + i, 2, 600, 180));
         },
         {"level.tmj: 1001 \"Waypoint\" objects, more than 1000: the level is refused"},
         false},
        {"many lines of one kind",
         [](json& l)
         {
             for (int i = 0; i < 12; ++i)
                 Objects(l).push_back(Object(100 + i, "Obstacle", 5000, 10, 4, 4));
         },
         {"level.tmj: 2 more lines like the above about objects outside the map"},
         true,
         [](const LevelPlan& p)
         {
             EXPECT_EQ(p.findings.size(), 11u);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        json level = Level();
        c.change(level);
        const LevelPlan plan = Plan(level);
        std::string all;
        for (const auto& line : plan.findings)
            all += line + "\n";
        for (const auto& line : c.lines)
            EXPECT_NE(std::find(plan.findings.begin(), plan.findings.end(), line), plan.findings.end())
                << "wanted: " << line << "\ngot:\n"
                << all;
        if (c.lines.empty())
        {
            EXPECT_TRUE(plan.findings.empty()) << all;
        }
        EXPECT_EQ(plan.playable, c.playable) << all;
        EXPECT_EQ(plan.playable, plan.refusals.empty()) << all;
        if (c.more)
            c.more(plan);
    }
}
